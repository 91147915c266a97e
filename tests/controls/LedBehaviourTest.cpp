#include "DisplayTestHelpers.h"

#include "controls/TLed.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

class LedBehaviour : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(200, 60);
        led = new TLed(&window);
        label = new QLabel(QStringLiteral("start"), &window);
        label->move(30, 0);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        paints = new DisplayPaintCounter(led);
    }

    QWidget window;
    TLed* led = nullptr;
    QLabel* label = nullptr;
    DisplayPaintCounter* paints = nullptr;
};

TEST_F(LedBehaviour, ValueRepaintsAtOnceThenWritesTheLabelThenReportsTheChange)
{
    led->setLabelOnText(QStringLiteral("Frei"));
    led->setLabelLinked(label);
    QSignalSpy changed(led, &TLed::OnChange);
    QString labelSeenByHandler;
    int paintsSeenByHandler = -1;
    QObject::connect(led, &TLed::OnChange, [&] {
        labelSeenByHandler = label->text();
        paintsSeenByHandler = paints->count;
    });

    led->setValue(true);
    EXPECT_EQ(label->text(), QStringLiteral("Frei"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().at(0).value<TLed*>(), led);
    EXPECT_EQ(labelSeenByHandler, QStringLiteral("Frei"));
    EXPECT_EQ(paintsSeenByHandler, 1);

    label->setText(QStringLiteral("other"));
    led->setValue(true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(label->text(), QStringLiteral("other"));
    QCoreApplication::processEvents();
    EXPECT_EQ(paints->count, 1);
}

TEST_F(LedBehaviour, LinkingShowsTheCurrentStateTextAtOnce)
{
    led->setLabelOffText(QStringLiteral("Gesperrt"));
    EXPECT_EQ(label->text(), QStringLiteral("start"));
    led->setLabelLinked(label);
    EXPECT_EQ(label->text(), QStringLiteral("Gesperrt"));
    EXPECT_EQ(led->LabelLinked(), label);

    // Changing the other state's text rewrites the caption with the current one.
    label->setText(QStringLiteral("edited"));
    led->setLabelOnText(QStringLiteral("Frei"));
    EXPECT_EQ(label->text(), QStringLiteral("Gesperrt"));

    // Linking the same label again changes nothing.
    label->setText(QStringLiteral("edited"));
    led->setLabelLinked(label);
    EXPECT_EQ(label->text(), QStringLiteral("edited"));

    led->setLabelLinked(nullptr);
    led->setValue(true);
    EXPECT_EQ(label->text(), QStringLiteral("edited"));
}

TEST_F(LedBehaviour, DestroyedLabelIsForgotten)
{
    led->setLabelLinked(label);
    delete label;
    label = nullptr;
    EXPECT_EQ(led->LabelLinked(), nullptr);
    led->setValue(true);
    led->setLabelOnText(QStringLiteral("Frei"));
    EXPECT_TRUE(led->Value());
}

TEST_F(LedBehaviour, KindAndShapeRepaintOnlyWhenTheyChange)
{
    led->setKind(TLed::lkRed);
    led->setShape(TLed::lsCircle);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints->count, 0);
    led->setKind(TLed::lkGreen);
    EXPECT_EQ(paints->count, 1);
    led->setShape(TLed::lsRectangle);
    EXPECT_EQ(paints->count, 2);
    EXPECT_EQ(led->Kind(), TLed::lkGreen);
    EXPECT_EQ(led->Shape(), TLed::lsRectangle);
}

TEST_F(LedBehaviour, ClickIsALeftPressAndReleaseOnTheLed)
{
    QSignalSpy clicked(led, &TLed::OnClick);
    QTest::mouseClick(led, Qt::LeftButton, {}, QPoint(8, 8));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.first().at(0).value<TLed*>(), led);

    QTest::mouseClick(led, Qt::RightButton, {}, QPoint(8, 8));
    EXPECT_EQ(clicked.count(), 1);

    QTest::mousePress(led, Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseRelease(led, Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_EQ(clicked.count(), 1);
}

} // namespace
