#include "InputFakeTimer.h"
#include "InputWidgetHelpers.h"
#include "support/TestSupport.h"

#include "controls/TSpinButton.h"
#include "controls/TSpinEdit.h"
#include "controls/TSpinEditCommon.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/TTimerSpeedButton.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <climits>

namespace {

// The main window's start-number field: 1..1000000, seven characters.
struct StartNumberField
{
    QWidget window;
    TSpinEdit* edit = new TSpinEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
    int beeps = 0;

    StartNumberField()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setMinValue(1);
        edit->setMaxValue(1000000);
        edit->setMaxLength(7);
        edit->setDecimalSeparator(u',');
        edit->setBeepHandler([this] { ++beeps; });
    }
};

InputFakeTimer* fakeTimer(TTimerSpeedButton* arrow)
{
    auto timer = std::make_unique<InputFakeTimer>();
    InputFakeTimer* raw = timer.get();
    arrow->setRepeatTimer(std::move(timer));
    return raw;
}

} // namespace

TEST(SpinEdit, KeyFilterLetsNumberCharactersThroughAndBeepsOnTheRest)
{
    StartNumberField f;
    f.edit->clear();
    QTest::keyClicks(f.edit, "1a2+-,x");
    EXPECT_EQ(f.edit->text(), "12+-,");
    EXPECT_EQ(f.beeps, 2);

    QTest::keyClick(f.edit, Qt::Key_Return);
    EXPECT_EQ(f.beeps, 3);
    EXPECT_EQ(f.edit->text(), "12+-,");

    QTest::keyClick(f.edit, Qt::Key_Backspace);
    EXPECT_EQ(f.edit->text(), "12+-");
    EXPECT_EQ(f.beeps, 3);

    QTest::keyClicks(f.edit, "3456789");
    EXPECT_EQ(f.edit->text().size(), 7) << "MaxLength holds";
}

TEST(SpinEdit, LockedEditorRefusesTypingButStillSteps)
{
    StartNumberField f;
    f.edit->setValue(5);
    f.edit->setEditorEnabled(false);
    QTest::keyClick(f.edit, Qt::Key_7);
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    EXPECT_EQ(f.edit->text(), "5");
    EXPECT_EQ(f.beeps, 2);

    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->Value(), 6);
    QTest::mouseClick(f.edit->Button()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(f.edit->Value(), 5);

    f.edit->setText("77");
    f.edit->selectAll();
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(f.edit->text(), "77") << "cut and paste are refused";

    ASSERT_TRUE(inputShowActive(&f.window));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                f.edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(f.edit, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList refused;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && !action->isEnabled())
            refused << action->text().section('\t', 0, 0);
    EXPECT_TRUE(refused.contains("Cu&t") && refused.contains("&Paste"))
        << refused.join(' ').toStdString();
    EXPECT_FALSE(refused.contains("&Copy"));
    menu->close();
}

TEST(SpinEdit, SteppingStaysInsideTheRange)
{
    StartNumberField f;
    f.edit->setValue(1000000);
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->text(), "1000000");
    f.edit->setValue(1);
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->text(), "1");

    TSpinEdit laps;
    laps.setMaxValue(9999);
    laps.setValue(12345);
    EXPECT_EQ(laps.text(), "9999");
    laps.setValue(-3);
    EXPECT_EQ(laps.text(), "0");
    laps.setIncrement(5000);
    laps.UpClick();
    laps.UpClick();
    EXPECT_EQ(laps.Value(), 9999);
}

TEST(SpinEdit, EqualBoundsMeanNoLimit)
{
    TSpinEdit edit;
    EXPECT_EQ(edit.text(), "0");
    edit.setValue(-250);
    EXPECT_EQ(edit.Value(), -250);
    edit.setValue(123456789);
    EXPECT_EQ(edit.text(), "123456789");

    // Stepping past the end of the type stops there instead of wrapping.
    edit.setValue(INT_MAX);
    edit.UpClick();
    EXPECT_EQ(edit.Value(), INT_MAX);
}

TEST(SpinEdit, ValueOfTextThatIsNoNumberIsTheMinimum)
{
    StartNumberField f;
    f.edit->setMaxLength(10);
    for (const char* text : {"", "-", "+", ",", "1,5", "3000000000"}) {
        f.edit->setText(text);
        EXPECT_EQ(f.edit->Value(), 1) << text;
    }
    f.edit->setText("0");
    EXPECT_EQ(f.edit->Value(), 0) << "reading does not clamp";
}

TEST(SpinEdit, LeavingTheFieldClampsButKeepsTextThatIsNoNumber)
{
    StartNumberField f;
    ASSERT_TRUE(inputShowActive(&f.window));
    f.edit->setFocus();
    f.edit->clear();
    QTest::keyClick(f.edit, Qt::Key_0);
    f.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.edit->text(), "1");

    f.edit->setFocus();
    f.edit->clear();
    f.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.edit->text(), "");
    EXPECT_EQ(f.edit->Value(), 1);
}

TEST(SpinEdit, ReadOnlyStepBeepsAndChangesNothing)
{
    StartNumberField f;
    f.edit->setValue(10);
    f.edit->setReadOnly(true);
    f.edit->UpClick();
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->Value(), 10);
    EXPECT_EQ(f.beeps, 2);
}

TEST(SpinEdit, EnteringSelectsAllUnlessTheTextWasClicked)
{
    StartNumberField f;
    f.edit->setValue(42);
    ASSERT_TRUE(inputShowActive(&f.window));
    f.other->setFocus();
    f.edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.edit->selectedText(), "42");

    f.other->setFocus();
    f.edit->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(f.edit->selectedText(), "");

    f.other->setFocus();
    f.edit->setAutoSelect(false);
    f.edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.edit->selectedText(), "");
}

TEST(SpinEdit, HeldArrowRepeatsAfter400ThenEvery100Milliseconds)
{
    StartNumberField f;
    f.edit->setValue(1);
    TTimerSpeedButton* up = f.edit->Button()->UpButton();
    InputFakeTimer* timer = fakeTimer(up);

    InputMouse::press(up);
    timer->advance(399);
    EXPECT_EQ(f.edit->Value(), 1);
    timer->advance(651);
    EXPECT_EQ(f.edit->Value(), 8) << "at 400, 500, ... 1000 ms";
    InputMouse::release(up);
    EXPECT_EQ(f.edit->Value(), 9) << "and once more on release";
    EXPECT_FALSE(timer->isActive());

    // A quick click steps once.
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(f.edit->Value(), 10);
}

TEST(SpinEdit, DraggingOffTheArrowPausesTheRepeat)
{
    StartNumberField f;
    f.edit->setValue(100);
    TTimerSpeedButton* down = f.edit->Button()->DownButton();
    InputFakeTimer* timer = fakeTimer(down);

    InputMouse::press(down);
    timer->advance(500);
    EXPECT_EQ(f.edit->Value(), 98);
    const QPoint outside(down->width() + 20, down->height() + 20);
    InputMouse::move(down, outside);
    timer->advance(300);
    EXPECT_EQ(f.edit->Value(), 98);
    InputMouse::move(down, down->rect().center());
    timer->advance(100);
    EXPECT_EQ(f.edit->Value(), 97);
    InputMouse::move(down, outside);
    InputMouse::release(down, outside);
    EXPECT_EQ(f.edit->Value(), 97) << "no final step when released off the arrow";
}

TEST(SpinEdit, ButtonSitsAtTheRightEdgeOfBothSpinEdits)
{
    TSpinEdit whole;
    TSpinFloatEdit decimal;
    for (QLineEdit* edit : {static_cast<QLineEdit*>(&whole), static_cast<QLineEdit*>(&decimal)}) {
        edit->show();
        edit->resize(65, 25);
        const QWidget* button = edit->findChild<TSpinButton*>();
        ASSERT_NE(button, nullptr);
        // Inside the 2-pixel sunken frame: 5 pixels in from the right edge
        // and 5 pixels shorter than the edit.
        EXPECT_EQ(button->geometry(), QRect(65 - 15 - 3, 2, 15, 20));
        EXPECT_EQ(edit->textMargins().right(), 17);

        edit->resize(65, 3);
        EXPECT_EQ(edit->height(), TSpinEditCommon::minimumHeight(edit->font()));
        edit->setFrame(false);
        edit->resize(65, 30);
        EXPECT_EQ(button->geometry(), QRect(50, 1, 15, 27));
    }
}

TEST(SpinButton, KeysClickTheArrowsAndSpaceTheFocusedOne)
{
    TSpinButton pair;
    EXPECT_EQ(pair.size(), QSize(20, 25));
    EXPECT_EQ(pair.UpButton()->geometry(), QRect(0, 0, 20, 12));
    EXPECT_EQ(pair.DownButton()->geometry(), QRect(0, 11, 20, 14));
    pair.resize(8, 25);
    EXPECT_EQ(pair.width(), TSpinButton::MinimumWidth);

    QSignalSpy ups(&pair, &TSpinButton::OnUpClick);
    QSignalSpy downs(&pair, &TSpinButton::OnDownClick);
    QTest::keyClick(&pair, Qt::Key_Space);
    EXPECT_EQ(ups.count(), 1) << "the up arrow starts focused";
    QTest::keyClick(&pair, Qt::Key_Down);
    QTest::keyClick(&pair, Qt::Key_Space);
    EXPECT_EQ(downs.count(), 2);
    EXPECT_EQ(pair.FocusedButton(), pair.DownButton());
}
