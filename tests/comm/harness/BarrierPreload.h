#pragma once

#include <string>

// Getting the barrier preload library into a test or benchmark process.
namespace BarrierPreload {

// Path of the preload library of this build.
const char* libraryPath();

// True when the preload library is loaded into this process.
bool active();

// Makes sure the process runs with the preload library and a fresh state
// file: if it does not yet, creates a private folder with an initialised
// state file, exports KELVATRON_BARRIER_STATE, puts the library in front of
// LD_PRELOAD (telling AddressSanitizer not to insist on coming first) and
// re-executes the program with the same arguments. Returns the state file.
// Call first thing in main, before any thread exists.
std::string ensure(char** argv);

// Removes the private folder made by ensure(), if this process owns one.
void cleanUp();

} // namespace BarrierPreload
