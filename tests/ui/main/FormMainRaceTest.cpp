// A race run through the real window by keys and mouse presses.

#include "FormMainFixture.h"

#include "controls/TBitBtnWithColor.h"
#include "controls/TDigit.h"
#include "controls/TLbSpeedButton.h"
#include "controls/TLed.h"
#include "controls/TSpinEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolButton>

QString FormMainFixture::row(const std::array<TDigit*, 8>& digits) const
{
    QString text;
    for (TDigit* digit : digits)
        text += QString::number(digit->Value());
    return text;
}

namespace {

const QRegularExpression kTimeOfDay(QStringLiteral("\\d{1,2}:\\d\\d\\.\\d\\d,\\d\\d"));

bool matches(const QString& line, const QString& pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(line).hasMatch();
}

} // namespace

using FormMainRace = FormMainFixture;

TEST_F(FormMainRace, KeyboardRaceFillsProtocolAndDisplay)
{
    create();
    EXPECT_TRUE(form->ui().bSTART->isEnabled());
    EXPECT_FALSE(form->ui().bLAP->isEnabled());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelvatron 3.0"));

    press(Qt::Key_F5);
    EXPECT_TRUE(form->ui().Clock->isActive());
    EXPECT_FALSE(form->ui().bSTART->isEnabled());
    EXPECT_TRUE(form->ui().bLAP->isEnabled());
    EXPECT_TRUE(form->ui().bSTOP->isEnabled());
    EXPECT_FALSE(form->ui().bCFG->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), form->ui().bSTOP);
    EXPECT_EQ(form->ui().bLAP->text(), QStringLiteral("LAP  1"));

    // The first row follows the counter on every tick, never a tick count.
    advanceMs(65'430);
    tick();
    EXPECT_EQ(row(form->ui().FirstRow), QStringLiteral("00010543"));

    press(Qt::Key_F4);
    EXPECT_EQ(row(form->ui().SecondRow), QStringLiteral("00010543"));
    EXPECT_EQ(form->ui().bLAP->text(), QStringLiteral("LAP  2"));

    advanceMs(65'590);
    press(Qt::Key_F4);
    advanceMs(65'480);
    press(Qt::Key_F9);
    EXPECT_FALSE(form->ui().Clock->isActive());
    EXPECT_EQ(row(form->ui().FirstRow), QStringLiteral("00031650"));
    EXPECT_EQ(row(form->ui().SecondRow), QStringLiteral("00000000"));
    EXPECT_TRUE(form->ui().bRESET->isEnabled());
    EXPECT_EQ(form->ui().bLAP->text(), QStringLiteral("LAP"));
    EXPECT_EQ(QApplication::focusWidget(), form->ui().bRESET);

    const QStringList protocol = lines();
    ASSERT_EQ(protocol.size(), 5);
    EXPECT_EQ(protocol[0], QStringLiteral("     Nr.: 1"));
    EXPECT_TRUE(
        matches(protocol[1], QStringLiteral("H  Start: 00:00\\.00,00  ") + kTimeOfDay.pattern()));
    EXPECT_EQ(protocol[2], QStringLiteral("H    Lap:     1.05,43  1."));
    EXPECT_EQ(protocol[3], QStringLiteral("H    Lap:     2.11,02  2."));
    EXPECT_TRUE(
        matches(protocol[4], QStringLiteral("H  Stopp:     3\\.16,50  ") + kTimeOfDay.pattern()));
    EXPECT_TRUE(form->ui().sbSave->isEnabled());
    EXPECT_TRUE(form->ui().sbCLS->isEnabled());

    // Del resets even with the focus in the start number, and counts it on;
    // the key pad's Del too.
    form->ui().editStartN->setFocus();
    press(Qt::Key_Delete, Qt::KeypadModifier);
    EXPECT_TRUE(form->ui().bSTART->isEnabled());
    EXPECT_EQ(form->ui().editStartN->text(), QStringLiteral("2"));
    EXPECT_EQ(row(form->ui().FirstRow), QStringLiteral("00000000"));
    ASSERT_EQ(lines().size(), 6);
    EXPECT_EQ(lines().last(), QString()) << "reset writes an empty line";
}

TEST_F(FormMainRace, DeleteEditsTheStartNumberWhileResetIsNotPossible)
{
    create();
    form->ui().editStartN->setFocus();
    form->ui().editStartN->setText(QStringLiteral("17"));
    form->ui().editStartN->setCursorPosition(0);
    press(Qt::Key_Delete);
    EXPECT_EQ(form->ui().editStartN->text(), QStringLiteral("7"));
    EXPECT_TRUE(form->ui().bSTART->isEnabled());
}

TEST_F(FormMainRace, MousePressesDriveTheRaceAndANameReachesTheNrLine)
{
    create();
    form->ui().editStartN->setText(QStringLiteral("17"));
    QTest::mousePress(form->ui().bSTART, Qt::LeftButton);
    EXPECT_TRUE(form->ui().Clock->isActive()) << "the command runs on the press, not the release";
    QTest::mouseRelease(form->ui().bSTART, Qt::LeftButton);

    // A disabled button's press does nothing.
    QTest::mousePress(form->ui().bRESET, Qt::LeftButton);
    EXPECT_TRUE(form->ui().Clock->isActive());

    form->ui().editStartN->setText(QStringLiteral("Müller"));
    advanceMs(5'300);
    QTest::mousePress(form->ui().bSTOP, Qt::RightButton);
    EXPECT_FALSE(form->ui().Clock->isActive());
    EXPECT_EQ(lines().first(), QStringLiteral("     Nr.: Müller"));

    // After reset the spin edit's next number replaces the name: the spin
    // edit counts on its own and never reads what was typed.
    QTest::mousePress(form->ui().bRESET, Qt::LeftButton);
    EXPECT_EQ(form->ui().editStartN->text(), QStringLiteral("2"));
}

TEST_F(FormMainRace, EnterInTheStartNumberJumpsToStart)
{
    create();
    form->ui().editStartN->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->ui().bSTART);
    EXPECT_FALSE(form->ui().Clock->isActive()) << "Enter only moves the focus";
}

TEST_F(FormMainRace, SpinArrowsSetTheNumber)
{
    create();
    form->ui().seStartN->UpClick();
    form->ui().seStartN->UpClick();
    EXPECT_EQ(form->ui().editStartN->text(), QStringLiteral("3"));
}

TEST_F(FormMainRace, LapLimitEndsLappingAndStoppedRaceKeepsItsTime)
{
    storeSettings(
        {{QStringLiteral("Port"), 0}, {QStringLiteral("Alg"), 0}, {QStringLiteral("Splits"), 3}});
    create();
    press(Qt::Key_F5);
    advanceMs(1'000);
    press(Qt::Key_F4);
    EXPECT_TRUE(form->ui().bLAP->isEnabled());
    advanceMs(1'000);
    press(Qt::Key_F4);
    EXPECT_FALSE(form->ui().bLAP->isEnabled());
    EXPECT_FALSE(form->ui().mSplit->isEnabled());
    EXPECT_EQ(form->ui().bLAP->text(), QStringLiteral("LAP"));
    press(Qt::Key_F4);
    EXPECT_EQ(lines().size(), 4) << "a disabled LAP writes nothing";
    EXPECT_TRUE(form->ui().bSTOP->isEnabled());
}

TEST_F(FormMainRace, AbsoluteModeShowsTimesOfDay)
{
    storeAllSettings({{QStringLiteral("LAPType"), 1}});
    create();
    press(Qt::Key_F5);
    advanceMs(2'000);
    press(Qt::Key_F4);
    const QStringList protocol = lines();
    ASSERT_EQ(protocol.size(), 3);
    EXPECT_TRUE(matches(protocol[1], QStringLiteral("H  Start: ") + kTimeOfDay.pattern()));
    EXPECT_TRUE(matches(protocol[2], QStringLiteral("H    Lap: ") + kTimeOfDay.pattern() +
                                         QStringLiteral("  1\\.")));
    // The second row shows the lap's time of day, not 2 seconds.
    EXPECT_NE(row(form->ui().SecondRow), QStringLiteral("00000200"));
}

TEST_F(FormMainRace, ResolutionTenthsHidesTheHundredths)
{
    storeAllSettings({{QStringLiteral("Acc"), 1}});
    create();
    EXPECT_FALSE(form->ui().FirstRow[7]->isVisible());
    EXPECT_TRUE(form->ui().FirstRow[6]->isVisible());
    EXPECT_EQ(form->ui().PanelTimer->width(), 445);
    EXPECT_EQ(form->ui().Lab_100->text(), QStringLiteral("1/10"));
    press(Qt::Key_F5);
    advanceMs(5'370);
    press(Qt::Key_F9);
    EXPECT_TRUE(lines()[2].startsWith(QStringLiteral("H  Stopp:         5,3  ")));
}

TEST_F(FormMainRace, ModeKeysNeedAPort)
{
    create();
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand")) << "no port configured";
    press(Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Gesperrt"));
}
