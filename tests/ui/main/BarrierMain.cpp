// The window's barrier tests run the real serial backend on pseudo-terminals
// that the harness's preload library gives modem lines; the process starts
// itself again with that library before anything else happens.

#include "BarrierPreload.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    BarrierPreload::ensure(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setOrganizationName(QStringLiteral("Ortavin"));
        QApplication::setApplicationName(QStringLiteral("Kelvatron"));
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    BarrierPreload::cleanUp();
    return result;
}
