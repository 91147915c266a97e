#pragma once

// The main of a widget test program: one QApplication for all tests. Include
// it in exactly one file of each test program.
#include <QApplication>

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

int main(int argc, char** argv)
{
    // Test discovery runs the program without the test environment; widget
    // tests never want a real display anyway.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
