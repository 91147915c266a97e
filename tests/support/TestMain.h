#pragma once

// Steps a test program adds to the shared test main, for what cannot wait
// until the application object exists or must come after it is gone. A
// program sets them from a static initialiser of one of its own files; the
// main reads them once it runs.

#include <QApplication>

#include <memory>

namespace TestMain {

struct Hooks
{
    // First thing in main, before any thread exists; may start the program
    // again.
    void (*beforeStart)(char** argv) = nullptr;
    // The application object the tests run under, when a plain one with the
    // program's names would hide what they check.
    std::unique_ptr<QApplication> (*application)(int& argc, char** argv) = nullptr;
    // Last thing in main, once the application object is gone.
    void (*afterEnd)() = nullptr;
};

Hooks& hooks();

} // namespace TestMain
