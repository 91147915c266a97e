// The main window's layout at the size it opens with and when it grows.

#include "FormMainFixture.h"

#include "controls/TBitBtnWithColor.h"
#include "controls/TSpinEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolButton>

#include <limits>

namespace {

QRect inWindow(const QWidget* widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

// Shown whole: not cut by any of the panels it lies in.
void expectUncut(const QWidget* widget)
{
    const QRect own = inWindow(widget);
    for (const QWidget* p = widget->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        EXPECT_TRUE(inWindow(p).contains(own))
            << widget->metaObject()->className() << " " << widget->objectName().toStdString()
            << " is cut by " << p->objectName().toStdString();
}

} // namespace

using FormMainGeometry = FormMainFixture;

TEST_F(FormMainGeometry, TimingHalfKeepsItsWidthAtTheSmallestWindow)
{
    create();
    ASSERT_EQ(form->size(), QSize(800, 450));

    EXPECT_EQ(inWindow(form->ui().Panel1), QRect(0, 0, 800, 37));
    EXPECT_EQ(inWindow(form->statusBar()), QRect(0, 431, 800, 19));
    EXPECT_EQ(inWindow(form->ui().Panel2), QRect(0, 37, 800, 394));
    // Inside the lowered one-pixel bevel of the client panel.
    EXPECT_EQ(inWindow(form->ui().PanelLeft), QRect(1, 38, 495, 392));
    EXPECT_EQ(form->ui().PanelTimer->size(), QSize(495, 222));
    EXPECT_EQ(form->ui().PanelTimer->mapTo(form->ui().PanelLeft, QPoint(0, 0)), QPoint(0, 0));
    // The display's right bevel shows; its holder is one pixel lower than it.
    EXPECT_EQ(inWindow(form->ui().PanelTimerOwner).right(),
              inWindow(form->ui().PanelTimer).right());
    EXPECT_EQ(form->ui().seStartN->geometry(), QRect(232, 230, 259, 32));
    EXPECT_EQ(form->ui().editStartN->geometry(), QRect(233, 231, 241, 30));
    int top = 230;
    for (QWidget* button :
         {form->ui().bSTART, form->ui().bLAP, form->ui().bSTOP, form->ui().bRESET}) {
        EXPECT_EQ(button->geometry(), QRect(4, top, 114, 30));
        top += 32;
    }
    for (QWidget* widget :
         {static_cast<QWidget*>(form->ui().PanelTimerOwner),
          static_cast<QWidget*>(form->ui().seStartN), static_cast<QWidget*>(form->ui().editStartN),
          static_cast<QWidget*>(form->ui().bRESET), static_cast<QWidget*>(form->ui().PanelDate),
          static_cast<QWidget*>(form->ui().sbSave), static_cast<QWidget*>(form->ui().sbCLS),
          static_cast<QWidget*>(form->ui().Memo1)})
        expectUncut(widget);

    // The protocol half takes the rest and gives way, overlapping nothing.
    const QRect protocol = inWindow(form->ui().Panel3);
    EXPECT_EQ(protocol.left(), inWindow(form->ui().PanelLeft).right() + 1);
    EXPECT_EQ(protocol.right(), 798);
    EXPECT_LT(inWindow(form->ui().sbInet).right(), inWindow(form->ui().sbPrint).left());
    EXPECT_GE(inWindow(form->ui().Memo1).top(), inWindow(form->ui().Panel4).bottom());

    EXPECT_EQ(form->ui().PanelDate->size(), QSize(222, 32));
    EXPECT_EQ(inWindow(form->ui().StatusPanels[2]).right(), 799);
    EXPECT_EQ(form->ui().StatusPanels[2]->text(), QStringLiteral("800x450     "));
}

TEST_F(FormMainGeometry, OnlyTheProtocolGrowsAndTheWindowDoesNotShrink)
{
    create();
    const int dateFromRight = form->width() - inWindow(form->ui().PanelDate).left();
    const QRect protocol = inWindow(form->ui().Panel3);
    form->resize(1000, 600);
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->width() == 1000; }));
    EXPECT_EQ(form->ui().PanelLeft->width(), 495);
    EXPECT_EQ(form->ui().PanelTimer->size(), QSize(495, 222));
    EXPECT_EQ(inWindow(form->ui().Panel3).left(), protocol.left());
    EXPECT_EQ(form->ui().Panel3->width(), protocol.width() + 200);
    EXPECT_EQ(form->width() - inWindow(form->ui().PanelDate).left(), dateFromRight);
    EXPECT_EQ(form->ui().StatusPanels[2]->text(), QStringLiteral("1000x600     "));

    form->resize(640, 300);
    QApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(800, 450));
    EXPECT_EQ(form->ui().PanelLeft->width(), 495);
}

TEST_F(FormMainGeometry, StoredPositionIsTakenAndWrittenBack)
{
    storeAllSettings({{QStringLiteral("Left"), 120}, {QStringLiteral("Top"), 90}});
    create();
    EXPECT_EQ(form->pos(), QPoint(120, 90));
    form->move(150, 60);
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->pos() == QPoint(150, 60); }));
    destroy();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Left")).toInt(), 150);
    EXPECT_EQ(stored.value(QStringLiteral("Top")).toInt(), 60);
    create();
    EXPECT_EQ(form->pos(), QPoint(150, 60));
}

TEST_F(FormMainGeometry, StoredPlacementBeyondAnyScreenStillGivesAUsableWindow)
{
    const int most = std::numeric_limits<std::int32_t>::max();
    const int least = std::numeric_limits<std::int32_t>::min();
    const std::map<QString, QVariant> variants[] = {
        {{QStringLiteral("Left"), most}},
        {{QStringLiteral("Left"), least}, {QStringLiteral("Top"), most}},
        {{QStringLiteral("Width"), most}, {QStringLiteral("Height"), most}},
        {{QStringLiteral("Width"), 40000}, {QStringLiteral("Height"), 450}},
        {{QStringLiteral("Left"), -1}, {QStringLiteral("Width"), 6000}},
    };
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.begin()->first.toStdString() + "=" +
                     variant.begin()->second.toString().toStdString());
        storeAllSettings(variant);
        create();
        const QRect area = form->screen()->availableGeometry();
        EXPECT_GE(form->width(), 800);
        EXPECT_GE(form->height(), 450);
        EXPECT_LE(form->width(), std::max(800, area.width())) << "no wider than the screen";
        EXPECT_LE(form->height(), std::max(450, area.height()));
        EXPECT_TRUE(area.intersects(form->frameGeometry()));
        if (variant.count(QStringLiteral("Width"))) {
            EXPECT_TRUE(area.contains(QRect(form->pos(), form->size())))
                << "made to fit, it is placed on the screen";
        }
        destroy();
    }
}
