#include "harness/BarrierPreload.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// These tests drive the real tty backend through pseudo-terminals that the
// preload library gives modem lines; the process re-executes itself with it.
int main(int argc, char** argv)
{
    BarrierPreload::ensure(argv);
    int result = 0;
    {
        QCoreApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    BarrierPreload::cleanUp();
    return result;
}
