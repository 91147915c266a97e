#include "DisplayTestHelpers.h"

#include "controls/TDigit.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <vector>

namespace {

class DigitBehaviour : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(100, 100);
        digit = new TDigit(&window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        paints = new DisplayPaintCounter(digit);
    }

    // Anything only scheduled gets painted here.
    int paintsAfterEventLoop()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return paints->count;
    }

    QWidget window;
    TDigit* digit = nullptr;
    DisplayPaintCounter* paints = nullptr;
};

TEST_F(DigitBehaviour, NewDigitShowsZeroInYellowOnBlack)
{
    EXPECT_EQ(digit->Value(), 0);
    EXPECT_EQ(digit->ValueBinary(), 125);
    EXPECT_EQ(digit->size(), QSize(16, 32));
    EXPECT_EQ(digit->Thickness(), 2);
    EXPECT_EQ(digit->Separation(), 1);
    EXPECT_EQ(digit->ColorOn(), 0x00FFFFU);
    EXPECT_EQ(digit->ColorOff(), 0U);
    EXPECT_EQ(digit->Color(), 0U);
    EXPECT_EQ(digit->BorderStyle(), TDigit::bsSingle);
    EXPECT_TRUE(digit->testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(DigitBehaviour, NewValueIsPaintedBeforeTheNextTickAndAnEqualOneNever)
{
    digit->setValue(3);
    ASSERT_EQ(paintsAfterEventLoop(), 1);
    digit->setValue(7);
    EXPECT_EQ(digit->ValueBinary(), 81);
    EXPECT_EQ(paintsAfterEventLoop(), 2);
    digit->setValue(7);
    EXPECT_EQ(paintsAfterEventLoop(), 2);
}

// One tick of the clock changes a digit's colour and value, and the next
// tick its value again: each tick ends in one paint of what it set last, not
// in one paint per setter.
TEST_F(DigitBehaviour, ChangesOfOneTickArePaintedOnceShowingTheLastValue)
{
    digit->resize(45, 89);
    digit->setThickness(5);
    QCoreApplication::processEvents();
    paints->count = 0;

    digit->setColorOn(0x0000FF);
    digit->setValue(3);
    digit->setValue(8);
    EXPECT_EQ(paintsAfterEventLoop(), 1);
    // The centre of the middle bar is lit only in the 8, and in the new colour.
    EXPECT_EQ(displayPixel(displayGrab(*digit), 22, 44), 0x0000FFU);

    // Grabbing paints as well; count the next tick from here.
    paints->count = 0;
    digit->setValue(0);
    EXPECT_EQ(paintsAfterEventLoop(), 1);
    EXPECT_EQ(displayPixel(displayGrab(*digit), 22, 44), 0U);
}

// A pattern once drawn is reused; whatever changes the look must not bring
// back the old drawing of that pattern.
TEST_F(DigitBehaviour, PatternShownAgainTakesTheNewColoursAndSize)
{
    digit->resize(45, 89);
    digit->setThickness(5);
    digit->setValue(8);
    const QImage yellow = displayGrab(*digit);
    EXPECT_EQ(displayPixel(yellow, 22, 44), 0x00FFFFU);

    for (const auto& change : std::vector<std::function<void()>>{
             [&] { digit->setColorOn(0x0000FF); }, [&] { digit->setColorOff(0x404040); },
             [&] { digit->setColor(0x00FF00); }, [&] { digit->setSeparation(3); },
             [&] { digit->setThickness(4); }, [&] { digit->resize(45, 69); }}) {
        const QImage before = displayGrab(*digit);
        change();
        digit->setValue(0);
        digit->setValue(8);
        EXPECT_NE(displayGrab(*digit), before);
    }
    EXPECT_EQ(displayGrab(*digit).size(), QSize(45, 69));
}

TEST_F(DigitBehaviour, EverySetterThatRepaintsIgnoresItsCurrentValue)
{
    digit->setColorOn(0x00FFFF);
    digit->setColorOff(0);
    digit->setBorderStyle(TDigit::bsSingle);
    digit->setValueBinary(125);
    digit->setValue(0);
    EXPECT_EQ(paintsAfterEventLoop(), 0);

    digit->setColorOn(0x0000FF);
    EXPECT_EQ(paintsAfterEventLoop(), 1);
    digit->setColorOff(0x404040);
    EXPECT_EQ(paintsAfterEventLoop(), 2);
    digit->setBorderStyle(TDigit::bsNone);
    EXPECT_EQ(paintsAfterEventLoop(), 3);
    digit->setValueBinary(0);
    EXPECT_EQ(paintsAfterEventLoop(), 4);
    EXPECT_EQ(digit->Value(), 0);
}

TEST_F(DigitBehaviour, OutOfRangeValueShowsZeroAndReportsOverflow)
{
    QSignalSpy overflow(digit, &TDigit::OnOverflow);
    for (int wrong : {12, -1}) {
        digit->setValue(5);
        overflow.clear();
        digit->setValue(wrong);
        EXPECT_EQ(digit->Value(), 0) << wrong;
        EXPECT_EQ(digit->ValueBinary(), 125) << wrong;
        ASSERT_EQ(overflow.count(), 1) << wrong;
        EXPECT_EQ(overflow.first().at(0).value<TDigit*>(), digit);
    }
}

// A tens-of-hours digit fed 10 on every refresh must not redraw its
// unchanged 0 a hundred times a second, but each overflow is still reported.
TEST_F(DigitBehaviour, RepeatedOverflowReportsEachTimeWithoutRedrawing)
{
    QSignalSpy overflow(digit, &TDigit::OnOverflow);
    digit->setValue(10);
    digit->setValue(10);
    EXPECT_EQ(overflow.count(), 2);
    EXPECT_EQ(paintsAfterEventLoop(), 0);
}

TEST_F(DigitBehaviour, DirectPatternStaysUntilTheValueReallyChanges)
{
    digit->setValueBinary(0);
    digit->setValue(0);
    EXPECT_EQ(digit->ValueBinary(), 0);
    digit->setValue(1);
    digit->setValue(0);
    EXPECT_EQ(digit->ValueBinary(), 125);
    digit->setValueBinary(255);
    EXPECT_EQ(digit->Value(), 0);
    EXPECT_EQ(digit->ValueBinary(), 255);
}

TEST_F(DigitBehaviour, ThicknessIsCheckedAgainstTheSizeAtTheTimeOfTheCall)
{
    digit->setThickness(9);
    EXPECT_EQ(digit->Thickness(), 2);
    EXPECT_EQ(paintsAfterEventLoop(), 0);

    digit->setThickness(8);
    EXPECT_EQ(digit->Thickness(), 8);
    EXPECT_EQ(paints->count, 0) << "thickness only schedules its repaint";
    EXPECT_EQ(paintsAfterEventLoop(), 1);

    digit->resize(45, 89);
    digit->setThickness(22);
    EXPECT_EQ(digit->Thickness(), 22);
    digit->resize(16, 32);
    EXPECT_EQ(digit->Thickness(), 22);
    digit->setThickness(16);
    EXPECT_EQ(digit->Thickness(), 22);
}

TEST_F(DigitBehaviour, ThicknessAndSeparationScheduleEvenWhenUnchanged)
{
    digit->setThickness(2);
    digit->setSeparation(1);
    EXPECT_EQ(paints->count, 0);
    EXPECT_GE(paintsAfterEventLoop(), 1);
    digit->setSeparation(-3);
    EXPECT_EQ(digit->Separation(), -3);
}

} // namespace
