#include "BarrierPreload.h"
#include "BarrierBoard.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace BarrierPreload {

namespace {
constexpr const char* kStateVariable = "KELVATRON_BARRIER_STATE";
constexpr const char* kFolderVariable = "KELVATRON_BARRIER_PRIVATE_DIR";
constexpr const char* kGuardVariable = "KELVATRON_BARRIER_REEXEC";

std::string joined(const char* front, const char* rest, const char* separator)
{
    std::string value = front;
    if (rest != nullptr && *rest != '\0')
        value = value + separator + rest;
    return value;
}
} // namespace

const char* libraryPath()
{
    return KELVATRON_BARRIER_PRELOAD_PATH;
}

bool active()
{
    return dlsym(RTLD_DEFAULT, "kelvatron_barrier_preload_active") != nullptr;
}

std::string ensure(char** argv)
{
    const char* state = std::getenv(kStateVariable);
    if (active() && state != nullptr && *state != '\0')
        return state;
    if (std::getenv(kGuardVariable) != nullptr) {
        std::fprintf(stderr, "barrier preload %s did not load\n", libraryPath());
        std::exit(2);
    }

    char folder[] = "/tmp/kelvatron-barrier-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    const std::string statePath = std::string(folder) + "/state";
    BarrierBoard::create(statePath);

    // The sanitizer runtime wants to be the first library; the preload only
    // wraps ioctl, which is fine in either order.
    const char* asanOptions = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", joined("verify_asan_link_order=0", asanOptions, ":").c_str(), 1);
    setenv("LD_PRELOAD", joined(libraryPath(), std::getenv("LD_PRELOAD"), ":").c_str(), 1);
    setenv(kStateVariable, statePath.c_str(), 1);
    setenv(kFolderVariable, folder, 1);
    setenv(kGuardVariable, "1", 1);
    execv("/proc/self/exe", argv);
    std::perror("execv");
    std::exit(2);
}

void cleanUp()
{
    const char* folder = std::getenv(kFolderVariable);
    const char* state = std::getenv(kStateVariable);
    if (folder == nullptr || state == nullptr)
        return;
    unlink(state);
    rmdir(folder);
}

} // namespace BarrierPreload
