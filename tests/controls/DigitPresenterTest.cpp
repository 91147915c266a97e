#include "DisplayTestHelpers.h"

#include "controls/DigitPresenter.h"
#include "controls/TDigit.h"

#include <QPainter>
#include <QScreen>
#include <QTest>

#include <memory>

namespace {

// A see-through widget with a small blue square, like a separator label
// whose box reaches into a digit.
class Mark : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(2, 2, 4, 4, Qt::blue); }
};

// Two digits on a panel that cuts the second one short, and an opaque label
// laid over part of the first: what is shown must stay inside what is seen.
class DigitPresenting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(240, 120);
        window.setAutoFillBackground(true);
        window.setPalette(QPalette(QColor(0x20, 0x40, 0x60)));
        panel = new QWidget(&window);
        panel->setGeometry(10, 10, 120, 100);
        for (TDigit*& d : digits) {
            d = new TDigit(panel);
            d->setColorOn(0x00FF00);
            d->setColorOff(0x404040);
            d->setPresenter(&presenter);
        }
        digits[0]->setGeometry(0, 0, 50, 90);
        digits[1]->setGeometry(90, 0, 50, 90); // 20 px of it lie outside the panel
        cover = new QWidget(panel);
        cover->setAutoFillBackground(true);
        cover->setPalette(QPalette(Qt::red));
        cover->setGeometry(0, 60, 20, 20);
        cover->raise();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
    }

    // What the window's surface holds now, without letting the event loop
    // run: a scheduled repaint would not have happened yet.
    QImage onScreen()
    {
        return window.screen()
            ->grabWindow(window.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    QWidget window;
    QWidget* panel = nullptr;
    QWidget* cover = nullptr;
    std::array<TDigit*, 2> digits{};
    DigitPresenter presenter;
};

TEST_F(DigitPresenting, NewValuesAreOnTheSurfaceAtOnceExactlyAsARepaintDrawsThem)
{
    digits[0]->setValue(7);
    digits[1]->setValue(4);
    presenter.present();
    const QImage shown = onScreen();

    // A full repaint of the window draws the same pixels: the surface and
    // the widgets never disagree.
    window.repaint();
    const QImage repainted = onScreen();
    EXPECT_EQ(shown, repainted);

    const QImage seven = displayGrab(*digits[0]);
    EXPECT_EQ(displayPixel(shown, 10 + 25, 10 + 3), displayPixel(seven, 25, 3)); // top bar lit
    EXPECT_EQ(displayPixel(seven, 25, 3), 0x00FF00U);
    EXPECT_EQ(displayPixel(seven, 25, 86), 0x404040U); // bottom bar dark in a 7
    EXPECT_EQ(displayPixel(shown, 10 + 25, 10 + 86), 0x404040U);
    // The label on top and the window beside the cut digit are untouched.
    EXPECT_EQ(displayPixel(shown, 10 + 5, 10 + 65), 0x0000FFU);
    EXPECT_EQ(displayPixel(shown, 10 + 125, 10 + 3), 0x604020U);
    EXPECT_EQ(displayPixel(shown, 10 + 115, 10 + 3), displayPixel(displayGrab(*digits[1]), 25, 3));
}

TEST_F(DigitPresenting, SeeThroughWidgetsOverADigitStayOnTopOfItsNewValue)
{
    auto* mark = new Mark(panel);
    mark->setGeometry(20, 0, 20, 10); // over the digit's top bar
    mark->show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(displayPixel(onScreen(), 10 + 23, 10 + 3), 0xFF0000U);
    digits[0]->setValue(1); // its top bar goes dark, under the mark too
    presenter.present();
    EXPECT_EQ(displayPixel(onScreen(), 10 + 23, 10 + 3), 0xFF0000U); // never drawn over
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QImage shown = onScreen();
    EXPECT_EQ(displayPixel(shown, 10 + 23, 10 + 3), 0xFF0000U);  // the square
    EXPECT_EQ(displayPixel(shown, 10 + 35, 10 + 3), 0x404040U);  // the bar beside it
    EXPECT_EQ(displayPixel(shown, 10 + 25, 10 + 86), 0x404040U); // the bottom bar
}

TEST_F(DigitPresenting, DigitsThatCannotBeShownDirectlyAreRepaintedLater)
{
    digits[1]->hide();
    digits[1]->setValue(1);
    auto doomed = std::make_unique<TDigit>(panel);
    doomed->setPresenter(&presenter);
    doomed->setValue(5);
    doomed.reset();
    presenter.present(); // must not touch the deleted one
    digits[1]->show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QImage one = displayGrab(*digits[1]);
    EXPECT_EQ(displayPixel(onScreen(), 10 + 115, 10 + 3), displayPixel(one, 25, 3));
    EXPECT_EQ(displayPixel(one, 25, 3), 0x404040U); // a 1 has no top bar

    // A window not on screen gets a repaint when it comes back.
    window.hide();
    digits[0]->setValue(8);
    presenter.present();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    EXPECT_EQ(displayPixel(onScreen(), 10 + 25, 10 + 86), 0x00FF00U); // an 8's bottom bar
}

} // namespace
