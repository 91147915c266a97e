// The one entry point of the test programs: GoogleTest under a headless
// QApplication. CTest lists the tests by running the program too, before any
// environment of the test itself applies, so the platform is chosen here.

#include "TestMain.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

TestMain::Hooks& TestMain::hooks()
{
    static Hooks set;
    return set;
}

namespace {

std::unique_ptr<QApplication> plainApplication(int& argc, char** argv)
{
    auto app = std::make_unique<QApplication>(argc, argv);
    // No display name: X11 would append it to every window title.
    QApplication::setApplicationName(QStringLiteral("Kelvatron"));
    QApplication::setOrganizationName(QStringLiteral("Ortavin"));
    return app;
}

} // namespace

int main(int argc, char** argv)
{
    const TestMain::Hooks& hooks = TestMain::hooks();
    if (hooks.beforeStart)
        hooks.beforeStart(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Whatever a default path slips through lands in a test location, never
    // in the user's own folders.
    QStandardPaths::setTestModeEnabled(true);
    int result = 0;
    {
        const auto app =
            hooks.application ? hooks.application(argc, argv) : plainApplication(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (hooks.afterEnd)
        hooks.afterEnd();
    return result;
}
