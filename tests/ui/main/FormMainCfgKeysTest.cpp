// The settings dialog opened with F2: what it shows of the running settings
// and what the operator's keys do in it.

#include "FormMainFixture.h"

#include "controls/TDigit.h"
#include "controls/TSpinEdit.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/ToColorCombo.h"
#include "settings/TCfgDialog.h"
#include "ui/results/ResultsWindow.h"

#include <QComboBox>
#include <QPushButton>

#include <functional>

class FormMainCfgKeys : public FormMainFixture
{
protected:
    TCfgDialog* dialog = nullptr;

    void createWithDialog()
    {
        create().createSettingsDialog();
        dialog = form->settingsDialog();
    }

    // A key to whatever has the focus in the open dialog.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        if (QApplication::activeWindow() != dialog)
            QApplication::setActiveWindow(dialog);
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : dialog, key, modifiers);
    }

    void tabTo(QWidget* control)
    {
        for (int i = 0; i < 12 && QApplication::focusWidget() != control; ++i)
            type(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control);
    }

    // F2, then `keys` while the dialog is open; the keys are expected to
    // close it. Returns whether the dialog was seen open.
    bool withDialog(const std::function<void()>& keys)
    {
        bool seen = false;
        QTimer::singleShot(0, dialog, [this, keys, &seen] {
            seen = dialog->isVisible();
            keys();
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the keys left the dialog open";
                dialog->reject();
            }
        });
        press(Qt::Key_F2);
        return seen;
    }
};

TEST_F(FormMainCfgKeys, ReturnOnAFocusedCancelButtonCancels)
{
    createWithDialog();
    EXPECT_TRUE(withDialog([this] {
        type(Qt::Key_Tab);
        type(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), dialog->cbLAPType);
        type(Qt::Key_Down);
        ASSERT_EQ(dialog->cbLAPType->currentIndex(), 1);
        type(Qt::Key_Tab, Qt::ShiftModifier);
        ASSERT_EQ(QApplication::focusWidget(), dialog->CancelBtn);
        type(Qt::Key_Return);
    }));
    EXPECT_EQ(form->race().LapType(), 0) << "Return on \"Abbrechen\" applied the settings";
}

TEST_F(FormMainCfgKeys, EveryOpeningStartsOnOk)
{
    storeAllSettings({{QStringLiteral("C1"), 0x808080}});
    createWithDialog();
    // Left with Esc while a colour list has the focus.
    EXPECT_TRUE(withDialog([this] {
        tabTo(dialog->cbColorFon);
        type(Qt::Key_Escape);
    }));
    bool okFocused = false;
    EXPECT_TRUE(withDialog([this, &okFocused] {
        okFocused = dialog->focusWidget() == dialog->OKBtn;
        type(Qt::Key_Up);
        type(Qt::Key_Return);
    }));
    EXPECT_TRUE(okFocused);
    EXPECT_EQ(form->C1(), 0x808080u) << "an arrow key right after F2 changed a colour";
    EXPECT_EQ(form->C2(), 0x00FF00u);
    EXPECT_EQ(form->C3(), 0x404040u);
}

TEST_F(FormMainCfgKeys, DialogShowsTheRunningSettings)
{
    storeAllSettings({{QStringLiteral("C1"), 0x800000},
                      {QStringLiteral("C2"), 0x00FFFF},
                      {QStringLiteral("C3"), 0x123456},
                      {QStringLiteral("Acc"), 0},
                      {QStringLiteral("LAPType"), 1},
                      {QStringLiteral("Splits"), 37},
                      {QStringLiteral("Alg"), 1},
                      {QStringLiteral("WaitStart"), 2500}});
    createWithDialog();
    EXPECT_TRUE(withDialog([this] {
        EXPECT_EQ(dialog->cbColorFon->ColorValue(), 0x800000u);
        EXPECT_EQ(dialog->cbColorCifra->ColorValue(), 0x00FFFFu);
        EXPECT_EQ(dialog->cbColorCifraF->ColorValue(), 0x123456u);
        EXPECT_EQ(dialog->cbDigits->currentText(), QStringLiteral("1")) << "whole seconds";
        EXPECT_EQ(dialog->cbLAPType->currentText(), QStringLiteral("Absolute"));
        EXPECT_EQ(dialog->seLaps->Value(), 37);
        EXPECT_EQ(dialog->cbAlg->currentIndex(), 1);
        EXPECT_DOUBLE_EQ(dialog->seWait->Value(), 2.5);
        type(Qt::Key_Escape);
    }));
}

TEST_F(FormMainCfgKeys, LapCountingAlgorithmShowsNoEntry)
{
    storeAllSettings({{QStringLiteral("Alg"), 2}});
    createWithDialog();
    int shown = 0;
    EXPECT_TRUE(withDialog([this, &shown] {
        shown = dialog->cbAlg->currentIndex();
        type(Qt::Key_Escape);
    }));
    EXPECT_EQ(shown, -1);
}

TEST_F(FormMainCfgKeys, PassiveColourGoesToTheLeadingZerosAndIsKept)
{
    storeAllSettings({{QStringLiteral("C1"), 0x000000},
                      {QStringLiteral("C2"), 0x00FF00},
                      {QStringLiteral("C3"), 0x808080}});
    createWithDialog();
    EXPECT_TRUE(withDialog([this] {
        tabTo(dialog->cbColorCifraF);
        type(Qt::Key_Down);
        EXPECT_EQ(dialog->cbColorCifraF->ColorValue(), 0xC0C0C0u);
        type(Qt::Key_Return);
    }));
    EXPECT_EQ(form->C3(), 0xC0C0C0u);
    EXPECT_EQ(form->C2(), 0x00FF00u);
    EXPECT_EQ(form->C1(), 0x000000u);
    // The stopped display at zero: leading zeros passive, the last digit active.
    EXPECT_EQ(form->ui().FirstRow[0]->ColorOn(), 0xC0C0C0u);
    EXPECT_EQ(form->ui().FirstRow[7]->ColorOn(), 0x00FF00u);

    destroy();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("C3")).toInt(), 0xC0C0C0);
}

TEST_F(FormMainCfgKeys, OpenResultsListFollowsANewResolution)
{
    createWithDialog();
    press(Qt::Key_F5);
    advanceMs(9'990);
    press(Qt::Key_F9);
    press(Qt::Key_Delete);
    press(Qt::Key_F6);
    auto* list = form->resultsWindow();
    const auto bestTime = [list] {
        return list->rowCount() == 1 ? list->cellText(0, 3) : QString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return bestTime() == QStringLiteral("9,99"); }, 10'000));

    QApplication::setActiveWindow(form.get());
    EXPECT_TRUE(withDialog([this] {
        tabTo(dialog->cbDigits);
        type(Qt::Key_Down);
        ASSERT_EQ(dialog->cbDigits->currentText(), QStringLiteral("1/10"));
        for (int i = 0; i < 3; ++i)
            type(Qt::Key_Tab, Qt::ShiftModifier);
        ASSERT_EQ(QApplication::focusWidget(), dialog->OKBtn);
        type(Qt::Key_Return);
    }));
    ASSERT_EQ(form->race().DisplayResolution(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bestTime() == QStringLiteral("9,9"); }, 10'000));
}
