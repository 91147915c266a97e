// The program's application object, created as the program entry creates it.

#include "support/TestMain.h"
#include "ui/main/KelvatronApplication.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The tests run under the application object the program entry creates, not
// under a plain one that would be given the program's names.
[[maybe_unused]] const bool kProgramsApplication = [] {
    TestMain::hooks().application = [](int& argc, char** argv) -> std::unique_ptr<QApplication> {
        return std::make_unique<KelvatronApplication>(argc, argv);
    };
    return true;
}();

class Thrower : public QObject
{
public:
    int events = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        if (++events == 1)
            throw std::runtime_error("Stream write error");
        return true;
    }
};

} // namespace

TEST(KelvatronApplicationTest, WindowTitlesCarryNoDisplayNameOfTheirOwn)
{
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Kelvatron"));
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Ortavin"));
    // A display name set apart from the program's name is what X11 appends
    // to every window title; without one it simply follows the name.
    QCoreApplication::setApplicationName(QStringLiteral("Probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Probe"));
    QCoreApplication::setApplicationName(KelvatronApplication::title());
}

TEST(KelvatronApplicationTest, ExceptionInAHandlerIsShownAndTheLoopGoesOn)
{
    QString caption;
    QString text;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        caption = box->windowTitle();
        text = box->text();
        QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
    });
    answer.start();

    Thrower thrower;
    QEvent first(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &first));
    EXPECT_EQ(caption, QStringLiteral("Kelvatron"));
    EXPECT_EQ(text, QStringLiteral("Stream write error"));

    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    EXPECT_TRUE(QTest::qWaitFor([&] { return thrower.events == 2; }, 10000));
}
