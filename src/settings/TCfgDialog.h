#pragma once

#include "controls/ColorRef.h"

#include <QDialog>
#include <QImage>

#include <cstdint>
#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPainter;
class QPushButton;
class TSpinEdit;
class TSpinFloatEdit;
class ToColorCombo;

// The settings dialog. It holds the controls and their own reactions; the
// main window fills it from the running settings, shows it and applies what
// it reads back, so the dialog itself changes nothing in the program.
class TCfgDialog : public QDialog
{
    Q_OBJECT

public:
    // Asks for a colour starting from the given one; empty when cancelled.
    using TColorPicker = std::function<std::optional<TColor>(QWidget* parent, TColor initial)>;

    static constexpr int ClientWidth = 288;
    static constexpr int ClientHeight = 182;
    static constexpr TColor Background = 0x00DEDEDE;

    // availablePorts: bit n-1 set for every COMn found, the highest port
    // number in the upper 16 bits.
    explicit TCfgDialog(std::uint32_t availablePorts, QWidget* parent = nullptr);
    ~TCfgDialog() override;

    // The picker opened for a user colour; QColorDialog unless replaced.
    void setColorPicker(TColorPicker picker);
    // Where the dialog reads the barrier algorithm each time it is shown; a
    // negative one locks the port list.
    void setBarrierAlgorithmQuery(std::function<int()> query);

    // Paints one entry of cbAlg: the closed contact for "Ein", the open
    // switch for "Aus". A disabled entry gets its background only.
    void cbAlgDrawItem(QPainter* painter, int Index, const QRect& Rect, bool Selected,
                       bool Disabled) const;

    // The controls the settings round trip reads and writes.
    QComboBox* cbLAPType;
    QComboBox* cbDigits;
    QComboBox* cbPort;
    QComboBox* cbAlg;
    TSpinEdit* seLaps;
    TSpinFloatEdit* seWait;
    QGroupBox* GroupBox1;
    ToColorCombo* cbColorFon;
    ToColorCombo* cbColorCifra;
    ToColorCombo* cbColorCifraF;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    // The pictures of cbAlg, 41 x 16 on a transparent background.
    QImage Image1;
    QImage Image2;

signals:
    // The resolution chosen in cbDigits, to be shown at once: 2 = 1/100 s,
    // 1 = 1/10 s, 0 = whole seconds. Only OK makes it the setting.
    void PreviewResolution(int resolution);

public slots:
    void cbPortChange();
    void cbDigitsChange();
    void cbColorCifraChange(ToColorCombo* Sender);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor's steps; connectControls() needs every control made.
    void setUpWindow();
    void createRaceControls();
    void createColourGroup();
    void createButtons();
    void connectControls();
    void FormCreate(std::uint32_t availablePorts);
    void FormShow();
    QLabel* addLabel(QWidget* parent, const QString& text, int right, int top);
    void paintAlgBox();

    TColorPicker m_picker;
    std::function<int()> m_barrierAlgorithm;
    // Set while a picked colour is being written back, so the change it
    // causes does not open the picker again.
    const ToColorCombo* m_guarded = nullptr;
};
