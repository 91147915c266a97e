// Entry point of the widget tests: a headless QApplication around GoogleTest.
// CTest lists the tests by running the program too, before any environment
// of the test itself applies, so the platform is chosen here.

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvatron"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kelvatron"));
    QApplication::setOrganizationName(QStringLiteral("Ortavin"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
