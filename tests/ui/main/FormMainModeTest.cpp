// The mode and lock indicators of the real window, driven by keys and clicks,
// with no barrier attached.

#include "FormMainFixture.h"

#include "controls/TBitBtnWithColor.h"
#include "controls/TLed.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>

namespace {

using FormMainMode = FormMainFixture;

int visibleMessageBoxes()
{
    int boxes = 0;
    for (QWidget* widget : QApplication::allWidgets())
        boxes += qobject_cast<QMessageBox*>(widget) && widget->isVisible() ? 1 : 0;
    return boxes;
}

} // namespace

TEST_F(FormMainMode, StoredPortThatNeverOpenedKeepsHandModeAndSaysWhyOnce)
{
    // COM1 is configured, but the device folder holds no such device.
    storeAllSettings({{QStringLiteral("Port"), 1}});
    create();
    EXPECT_TRUE(errors.isEmpty()) << "start-up stays silent";
    EXPECT_EQ(form->lostNotice(), nullptr);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));

    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_EQ(form->ui().LedModus->Kind(), TLed::lkRed);
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Gesperrt"));
    EXPECT_EQ(form->ui().LedSignal->Kind(), TLed::lkRed);
    auto* notice = qobject_cast<QMessageBox*>(form->lostNotice());
    ASSERT_NE(notice, nullptr) << "the operator learns why Auto was refused";
    EXPECT_TRUE(notice->text().contains(QStringLiteral("COM1"))) << notice->text().toStdString();
    EXPECT_TRUE(notice->text().contains(QStringLiteral("Handbetrieb")));
    QTest::mouseClick(notice->button(QMessageBox::Ok), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->lostNotice() == nullptr; }, 20000));

    // Told once: the mode LED and the other mode keys refuse quietly.
    QTest::mouseClick(form->ui().LedModus, Qt::LeftButton);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    press(Qt::Key_M, Qt::AltModifier);
    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Gesperrt"));
    EXPECT_EQ(form->lostNotice(), nullptr);
    EXPECT_EQ(visibleMessageBoxes(), 0);

    press(Qt::Key_F5);
    EXPECT_TRUE(form->ui().Clock->isActive()) << "timing by hand goes on";
}

TEST_F(FormMainMode, LockoutRunsOnAPreciseTimerThatAKeyboardStartDoesNotRestart)
{
    storeAllSettings({{QStringLiteral("WaitStart"), 60000}});
    create();
    // A coarse timer may fire 5 % early.
    EXPECT_EQ(form->ui().TimerGesperrt->timerType(), Qt::PreciseTimer);

    press(Qt::Key_F5);
    ASSERT_TRUE(form->ui().TimerGesperrt->isActive());
    press(Qt::Key_F9);
    press(Qt::Key_Delete);
    ASSERT_TRUE(form->ui().bSTART->isEnabled());
    const int atStart = form->ui().TimerGesperrt->remainingTime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ui().TimerGesperrt->remainingTime() < atStart; },
                                20000));
    const int left = form->ui().TimerGesperrt->remainingTime();

    // The next START falls into the running lock-out: it must not lengthen it.
    press(Qt::Key_F5);
    ASSERT_TRUE(form->ui().Clock->isActive());
    EXPECT_TRUE(form->ui().TimerGesperrt->isActive());
    EXPECT_LE(form->ui().TimerGesperrt->remainingTime(), left);
}
