#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's one yes/no question. Callers put their question in, run
// exec() and go on only when it returns mrYes; "Nein", Esc and the close box
// all answer mrCancel.
class TFDlgYesNo : public QDialog
{
    Q_OBJECT

public:
    static constexpr int mrYes = 6;
    static constexpr int mrCancel = 2;

    // The caption is the application title; an empty title takes the
    // application's display name.
    explicit TFDlgYesNo(QWidget* parent = nullptr, const QString& title = {});

    void setQuestion(const QString& text);
    QString question() const;

    QLabel* const Label1;
    QLabel* const Icon;
    QPushButton* const OKBtn;
    QPushButton* const CancelBtn;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
};
