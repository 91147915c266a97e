#include "DisplayTestHelpers.h"

#include "controls/TDigit.h"

#include <QSignalSpy>
#include <QTest>

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

TEST_F(DigitBehaviour, NewValueRepaintsBeforeTheSetterReturnsAndAnEqualOneNever)
{
    digit->setValue(3);
    ASSERT_EQ(paints->count, 1);
    digit->setValue(7);
    EXPECT_EQ(digit->ValueBinary(), 81);
    EXPECT_EQ(paints->count, 2);
    digit->setValue(7);
    EXPECT_EQ(paintsAfterEventLoop(), 2);
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
    EXPECT_EQ(paints->count, 1);
    digit->setColorOff(0x404040);
    EXPECT_EQ(paints->count, 2);
    digit->setBorderStyle(TDigit::bsNone);
    EXPECT_EQ(paints->count, 3);
    digit->setValueBinary(0);
    EXPECT_EQ(paints->count, 4);
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
