#include "InputWidgetHelpers.h"
#include "support/TestSupport.h"

#include "controls/TSpinButton.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/TTimerSpeedButton.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <limits>

namespace {

// Counts the error boxes instead of showing them.
class ObservedFloatEdit : public TSpinFloatEdit
{
public:
    using TSpinFloatEdit::TSpinFloatEdit;
    QStringList shown;

protected:
    void showErrorMessage(const QString& message) override { shown << message; }
};

// The lock-out field of the settings dialog under a comma locale.
struct LockoutField
{
    QWidget window;
    ObservedFloatEdit* edit = new ObservedFloatEdit(&window);
    QLineEdit* other = new QLineEdit(&window);

    LockoutField()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setDecimalSeparator(u',');
        edit->setIncrement(0.1);
        edit->setDigits(1);
        edit->setMin(0);
        edit->setMax(600.0);
    }

    QString typeIntoEmpty(const char* keys)
    {
        edit->clear();
        QTest::keyClicks(edit, keys);
        return edit->text();
    }

    void leave() { other->setFocus(Qt::TabFocusReason); }
};

} // namespace

TEST(FloatEdit, TextOnlyGrowsThroughNumbersInRange)
{
    LockoutField f;
    EXPECT_EQ(f.typeIntoEmpty("7"), "7");
    EXPECT_EQ(f.typeIntoEmpty("700"), "70") << "700 is above 600";
    EXPECT_EQ(f.typeIntoEmpty("7,53"), "7,5") << "one decimal only";
    EXPECT_EQ(f.typeIntoEmpty("6,"), "6,");
    EXPECT_EQ(f.typeIntoEmpty("5E1+x.3"), "513") << "E, + and a dot are not in the set";
    EXPECT_EQ(f.typeIntoEmpty("1,,5"), "1,5");

    // A lowercase exponent is accepted where it makes a valid number.
    f.edit->setText("12");
    f.edit->setCursorPosition(1);
    QTest::keyClick(f.edit, Qt::Key_E);
    EXPECT_EQ(f.edit->text(), "1e2");

    f.edit->setDigits(0);
    EXPECT_EQ(f.typeIntoEmpty("4,2"), "42");
}

TEST(FloatEdit, LoneMinusAndSeparatorBecomeEditableZeros)
{
    LockoutField f;
    EXPECT_EQ(f.typeIntoEmpty("-"), "-0");
    EXPECT_EQ(f.edit->selectionStart(), 1);
    EXPECT_EQ(f.edit->selectedText(), "0");
    QTest::keyClick(f.edit, Qt::Key_5);
    EXPECT_EQ(f.edit->text(), "-0") << "-5 is below the minimum";

    EXPECT_EQ(f.typeIntoEmpty(","), "0,0");
    EXPECT_EQ(f.edit->selectionStart(), 2);
    QTest::keyClick(f.edit, Qt::Key_5);
    EXPECT_EQ(f.edit->text(), "0,5");
}

TEST(FloatEdit, RefusedKeysAreReportedAndEnterIsNot)
{
    LockoutField f;
    f.edit->clear();
    QSignalSpy keys(f.edit, &TCustomFloatEdit::OnKeyPress);
    QSignalSpy enters(f.edit, &TCustomFloatEdit::OnEnterPress);
    QTest::keyClick(f.edit, Qt::Key_X);
    QTest::keyClick(f.edit, Qt::Key_Return);
    EXPECT_EQ(enters.count(), 1);
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.at(0).at(0).value<QChar>(), QChar(u'x'));
    EXPECT_EQ(f.edit->text(), "");
}

TEST(FloatEdit, ValueReadsPlaceholdersAsZeroAndJunkAsMinimum)
{
    ObservedFloatEdit edit;
    edit.setDecimalSeparator(u',');
    edit.setMin(-5);
    for (const char* text : {"-", ",", "", "E"}) {
        edit.setText(text);
        EXPECT_EQ(edit.Value(), 0.0) << text;
    }
    edit.setText("1.5");
    EXPECT_EQ(edit.Value(), -5.0);
    edit.setText("2,5e1");
    EXPECT_EQ(edit.Value(), 25.0);
    edit.setText("1e999");
    EXPECT_EQ(edit.Value(), -5.0) << "an overflow is no number";
    edit.setText("250");
    EXPECT_EQ(edit.Value(), 100.0) << "clamped silently";
    EXPECT_TRUE(edit.shown.isEmpty());
}

TEST(FloatEdit, EscapeRestoresTheValueAtEntry)
{
    LockoutField f;
    f.edit->setValue(2.5);
    ASSERT_TRUE(inputShowActive(&f.window));
    f.edit->setFocus(Qt::TabFocusReason);
    f.edit->setValue(9.0);
    QSignalSpy keys(f.edit, &TCustomFloatEdit::OnKeyPress);
    QTest::keyClick(f.edit, Qt::Key_Escape);
    EXPECT_EQ(f.edit->text(), "2,5");
    EXPECT_EQ(f.edit->selectedText(), "2,5");
    ASSERT_EQ(keys.count(), 1);
    EXPECT_TRUE(keys.at(0).at(0).value<QChar>().isNull());
}

TEST(FloatEdit, LeavingFormatsOrRefusesAndKeepsTheFocus)
{
    LockoutField f;
    f.edit->setErrorMessage("Bitte 0 bis 600 Sekunden");
    ASSERT_TRUE(inputShowActive(&f.window));
    QSignalSpy exits(f.edit, &TCustomFloatEdit::OnExit);

    f.edit->setFocus(Qt::TabFocusReason);
    f.edit->clear();
    f.leave();
    EXPECT_EQ(f.edit->text(), "0,0");
    EXPECT_EQ(exits.count(), 1);

    f.edit->setFocus(Qt::TabFocusReason);
    f.edit->setText("3");
    f.leave();
    EXPECT_EQ(f.edit->text(), "3,0");

    // Pasted text bypasses the filter; leaving with it is refused.
    f.edit->setFocus(Qt::TabFocusReason);
    f.edit->setText("700");
    f.leave();
    EXPECT_EQ(f.edit->shown, QStringList{"Bitte 0 bis 600 Sekunden"});
    EXPECT_EQ(f.edit->text(), "3,0");
    EXPECT_EQ(exits.count(), 2);
    QApplication::processEvents();
    EXPECT_TRUE(f.edit->hasFocus());
    EXPECT_EQ(f.edit->selectedText(), "3,0");
}

TEST(FloatEdit, SteppingClampsAtTheEndsWithTheMessage)
{
    LockoutField f;
    f.edit->setErrorMessage("zu groß");
    f.edit->setValue(0.0);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(f.edit->Button()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(f.edit->text(), "0,3");

    f.edit->setValue(0.0);
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->text(), "0,0");
    EXPECT_EQ(f.edit->shown.size(), 1);
    f.edit->setValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(f.edit->text(), "0,0") << "what is no number falls to the bottom end";
    EXPECT_EQ(f.edit->shown.size(), 2);

    f.edit->setValue(600.0);
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->text(), "600,0");
    EXPECT_EQ(f.edit->shown.size(), 3);

    bool stepUp = false;
    f.edit->setOnComputedIncrement([&](QObject* sender, bool up) {
        EXPECT_EQ(sender, f.edit);
        stepUp = up;
    });
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->text(), "600,0") << "the handler replaces the built-in step";
    EXPECT_FALSE(stepUp);
}

TEST(FloatEdit, LockedOrReadOnlyTextDoesNotChange)
{
    LockoutField f;
    int beeps = 0;
    f.edit->setBeepHandler([&] { ++beeps; });
    f.edit->setValue(1.0);
    f.edit->setEditorEnabled(false);
    f.edit->selectAll();
    QTest::keyClicks(f.edit, "-5,");
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->text(), "1,0");
    QTest::mouseClick(f.edit->Button()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(f.edit->text(), "1,1") << "the arrows still step";

    f.edit->setEditorEnabled(true);
    f.edit->setReadOnly(true);
    f.edit->selectAll();
    QTest::keyClicks(f.edit, "-");
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->text(), "1,1");
    EXPECT_EQ(beeps, 1);
}

TEST(FloatEdit, BoundsThatCrossAreRefusedWithTheirMessages)
{
    LockoutField f;
    try {
        f.edit->setMin(700);
        FAIL() << "no error";
    } catch (const TCustomFloatEdit::ERangeError& e) {
        EXPECT_STREQ(e.what(), "Minimum value must not be greater than maximum value !");
    }
    try {
        f.edit->setMax(-1);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Maximum value must not be less than minimum value !");
    }
    EXPECT_EQ(f.edit->Min(), 0.0);
    EXPECT_EQ(f.edit->Max(), 600.0);

    // A narrower range reformats and clamps the shown value, silently.
    f.edit->setValue(500);
    f.edit->setMax(100);
    EXPECT_EQ(f.edit->text(), "100,0");
    f.edit->setDigits(3);
    EXPECT_EQ(f.edit->text(), "100,000");
    EXPECT_TRUE(f.edit->shown.isEmpty());
}
