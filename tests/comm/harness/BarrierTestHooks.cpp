// Tests on the harness drive the real tty backend through pseudo-terminals
// that the preload library gives modem lines: the process starts itself again
// with that library before anything else happens, and removes its private
// state folder at the very end.

#include "BarrierPreload.h"
#include "support/TestMain.h"

namespace {

[[maybe_unused]] const bool kPreloaded = [] {
    TestMain::Hooks& hooks = TestMain::hooks();
    hooks.beforeStart = [](char** argv) { BarrierPreload::ensure(argv); };
    hooks.afterEnd = &BarrierPreload::cleanUp;
    return true;
}();

} // namespace
