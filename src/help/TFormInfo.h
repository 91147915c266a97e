#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QToolButton;

// The information dialog (F3): name, version, icon, a notice and the maker's
// contact page.
class TFormInfo : public QDialog
{
    Q_OBJECT

public:
    // Opens an address in the user's browser; QDesktopServices by default.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit TFormInfo(QWidget* parent = nullptr, UrlOpener opener = {});

    static QUrl contactPage();
    static QString notice();

    QLabel* const Image1;
    QLabel* const Label1;
    QLabel* const LabelVer;
    QFrame* const Panel1;
    QLabel* const ImageICON;
    QFrame* const Bevel1;
    QPlainTextEdit* const Memo1;
    QToolButton* const sOK;
    QLabel* const Lab;
    QLabel* const Label2;

public slots:
    void Image1Click();
    void sOKClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The constructor's steps, from the top of the dialog down.
    void setUpWindow();
    void createHeader();
    void createNotice();
    void createContact();

    UrlOpener m_openUrl;
};
