// The settings dialog's round trip through the main window (F2).

#include "FormMainFixture.h"

#include "controls/TDigit.h"
#include "controls/TLbSpeedButton.h"
#include "controls/TSpinEdit.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/ToColorCombo.h"
#include "settings/TCfgDialog.h"

#include <QComboBox>
#include <QLabel>

#include <functional>

class FormMainSettings : public FormMainFixture
{
protected:
    TCfgDialog* dialog = nullptr;

    void createWithDialog()
    {
        create();
        form->createSettingsDialog();
        dialog = form->settingsDialog();
        ASSERT_NE(dialog, nullptr);
    }

    // Opens the dialog with F2, lets `change` work on it while it is shown,
    // then closes it with OK or Cancel.
    void roundTrip(const std::function<void(TCfgDialog&)>& change, bool ok)
    {
        QTimer::singleShot(0, dialog, [this, change, ok] {
            change(*dialog);
            if (ok)
                dialog->accept();
            else
                dialog->reject();
        });
        press(Qt::Key_F2);
    }
};

TEST_F(FormMainSettings, OkAppliesEveryValueAtOnce)
{
    createWithDialog();
    bool sawNoPortState = false;
    roundTrip(
        [&](TCfgDialog& d) {
            sawNoPortState = !d.cbAlg->isEnabled() && !d.seLaps->isEnabled() &&
                             !d.seWait->isEnabled() && d.cbPort->currentIndex() == 0;
            d.cbLAPType->setCurrentIndex(1);
            d.cbDigits->setCurrentIndex(1);
            d.seWait->setValue(2.5);
            d.seLaps->setValue(4);
            d.cbColorFon->setColorValue(0x800000);
            d.cbColorCifra->setColorValue(0x00FFFF);
        },
        true);
    EXPECT_TRUE(sawNoPortState) << "without a port the barrier settings are locked";
    EXPECT_EQ(form->race().LapType(), 1);
    EXPECT_EQ(form->race().DisplayResolution(), 1);
    EXPECT_EQ(form->race().LockoutTime(), 2500);
    EXPECT_EQ(form->race().LapLimit(), 4);
    EXPECT_EQ(form->C1(), 0x800000u);
    EXPECT_EQ(form->ui().SecondRow[3]->Color(), 0x800000u) << "all sixteen digits take the colour";
    EXPECT_FALSE(form->ui().FirstRow[7]->isVisible());
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    QApplication::processEvents();
    EXPECT_EQ(form->focusWidget(), form->ui().PanelLeft);

    destroy();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("WaitStart")).toInt(), 2500);
    EXPECT_EQ(stored.value(QStringLiteral("Acc")).toInt(), 1);
    EXPECT_EQ(stored.value(QStringLiteral("LAPType")).toInt(), 1);
    EXPECT_EQ(stored.value(QStringLiteral("Splits")).toInt(), 4);
    EXPECT_EQ(stored.value(QStringLiteral("C1")).toInt(), 0x800000);
}

TEST_F(FormMainSettings, CancelUndoesThePreviewedResolution)
{
    createWithDialog();
    bool previewShown = false;
    roundTrip(
        [&](TCfgDialog& d) {
            // As the operator picks it: the preview follows the user's choice.
            d.cbDigits->setCurrentIndex(1);
            emit d.cbDigits->activated(1);
            previewShown =
                !form->ui().FirstRow[7]->isVisible() && form->ui().FirstRow[6]->isVisible();
            d.seWait->setValue(9.0);
        },
        false);
    EXPECT_TRUE(previewShown);
    EXPECT_TRUE(form->ui().FirstRow[7]->isVisible());
    EXPECT_EQ(form->race().DisplayResolution(), 2);
    EXPECT_EQ(form->race().LockoutTime(), 0);
}

TEST_F(FormMainSettings, StoredLockoutShowsInSeconds)
{
    storeAllSettings({{QStringLiteral("WaitStart"), 1500}});
    createWithDialog();
    double shown = -1;
    roundTrip([&](TCfgDialog& d) { shown = d.seWait->Value(); }, true);
    EXPECT_DOUBLE_EQ(shown, 1.5);
    EXPECT_EQ(form->race().LockoutTime(), 1500) << "OK without a change keeps the value";
}

TEST_F(FormMainSettings, F2WorksDuringARaceAndRedrawsOnlyWhenStopped)
{
    createWithDialog();
    press(Qt::Key_F5);
    EXPECT_FALSE(form->ui().bCFG->isEnabled());
    advanceMs(12'340);
    tick();
    bool opened = false;
    roundTrip(
        [&](TCfgDialog& d) {
            opened = true;
            d.cbColorCifra->setColorValue(0x0000FF);
        },
        true);
    EXPECT_TRUE(opened) << "F2 opens the dialog while the race runs";
    EXPECT_EQ(form->ui().FirstRow[5]->ColorOn(), 0x0000FFu) << "active digits take the new colour";
    EXPECT_EQ(row(form->ui().FirstRow), QStringLiteral("00001234"));
}

TEST_F(FormMainSettings, LapLimitTypedOutOfRangeIsClampedOnOk)
{
    createWithDialog();
    // Enter closes the dialog straight from the field, before leaving it
    // could correct the text.
    roundTrip([](TCfgDialog& d) { d.seLaps->setText(QStringLiteral("-5")); }, true);
    EXPECT_EQ(form->race().LapLimit(), 0);
}

TEST_F(FormMainSettings, ConfirmingTheSettingsDoesNotLengthenARunningLockout)
{
    storeAllSettings({{QStringLiteral("WaitStart"), 60000}});
    createWithDialog();
    press(Qt::Key_F5);
    ASSERT_TRUE(form->ui().TimerGesperrt->isActive());
    // The operator takes a moment in the dialog; a lock-out started over by
    // OK would then end later than one that just ran on.
    roundTrip(
        [this](TCfgDialog&) {
            EXPECT_TRUE(QTest::qWaitFor(
                [this] { return form->ui().TimerGesperrt->remainingTime() < 59950; }));
        },
        true);
    EXPECT_TRUE(form->ui().TimerGesperrt->isActive());
    EXPECT_LT(form->ui().TimerGesperrt->remainingTime(), 59950) << "the lock-out was started over";
}
