// kelvatron-barrier: a light barrier without hardware, for driving the
// program by hand or from a script.
//
//   kelvatron-barrier setup DIR [COMn ...]   make DIR/dev with the ports (default COM1),
//                                            write DIR/env, hold the lines until killed
//   kelvatron-barrier on DIR [COMn]          close the contact (DSR on while DTR is on)
//   kelvatron-barrier off DIR [COMn]         open the contact
//   kelvatron-barrier pulse DIR MS [COMn]    flip the contact for MS milliseconds
//   kelvatron-barrier unplug DIR [COMn]      pull the adapter out
//   kelvatron-barrier status DIR             show every line
#include "BarrierBoard.h"
#include "BarrierLine.h"
#include "BarrierPreload.h"

#include "comm/ComDeviceMap.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_quit = 0;

void quit(int)
{
    g_quit = 1;
}

int usage()
{
    std::fputs("usage: kelvatron-barrier setup DIR [COMn ...]\n"
               "       kelvatron-barrier on|off|unplug DIR [COMn]\n"
               "       kelvatron-barrier pulse DIR MS [COMn]\n"
               "       kelvatron-barrier status DIR\n",
               stderr);
    return 2;
}

std::string deviceName(const std::string& com)
{
    int n = 0;
    if (com.rfind("COM", 0) == 0)
        n = std::atoi(com.c_str() + 3);
    const std::string name = ComDeviceMap::deviceName(n).toStdString();
    if (name.empty())
        throw std::runtime_error("no such port: " + com + " (COM1..COM16)");
    return name;
}

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void writeEnv(const std::string& dir)
{
    const std::string tmp = dir + "/env.tmp";
    FILE* f = std::fopen(tmp.c_str(), "w");
    if (f == nullptr)
        throw std::runtime_error("cannot write " + tmp);
    std::fprintf(f,
                 "export KELVATRON_DEVICE_DIR=%s\n"
                 "export KELVATRON_BARRIER_STATE=%s\n"
                 "export LD_PRELOAD=%s${LD_PRELOAD:+:$LD_PRELOAD}\n"
                 "export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}"
                 "verify_asan_link_order=0\"\n",
                 quoted(dir + "/dev").c_str(), quoted(dir + "/state").c_str(),
                 quoted(BarrierPreload::libraryPath()).c_str());
    std::fclose(f);
    std::rename(tmp.c_str(), (dir + "/env").c_str());
}

int setup(const std::string& dir, std::vector<std::string> ports)
{
    if (ports.empty())
        ports.push_back("COM1");
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/dev").c_str(), 0755);
    auto board = BarrierBoard::create(dir + "/state");
    std::vector<std::unique_ptr<BarrierLine>> lines;
    for (const std::string& port : ports) {
        lines.push_back(BarrierLine::create(*board, deviceName(port)));
        lines.back()->linkAs(dir + "/dev/" + lines.back()->name());
        std::printf("%s -> %s/dev/%s -> %s\n", port.c_str(), dir.c_str(),
                    lines.back()->name().c_str(), lines.back()->slavePath().c_str());
    }
    writeEnv(dir);
    std::printf("ready; in the program's shell:  . %s/env\n", dir.c_str());
    std::fflush(stdout);

    struct sigaction action = {};
    action.sa_handler = quit;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    kb_state* state = board->state();
    while (!g_quit) {
        const uint32_t seq = kb_load(&state->seq);
        for (auto& line : lines)
            line->closeIfUnplugged();
        const struct timespec second = {1, 0};
        syscall(SYS_futex, &state->seq, FUTEX_WAIT, seq, &second, nullptr, 0);
    }
    for (auto& line : lines)
        std::remove((dir + "/dev/" + line->name()).c_str());
    lines.clear();
    std::remove((dir + "/env").c_str());
    std::remove((dir + "/state").c_str());
    rmdir((dir + "/dev").c_str());
    return 0;
}

int status(BarrierBoard& board)
{
    for (kb_line& line : board.state()->lines) {
        if (__atomic_load_n(&line.rdev, __ATOMIC_SEQ_CST) == 0)
            continue;
        const uint32_t visible = kb_visible(kb_load(&line.inputs), kb_load(&line.outputs));
        std::printf("%-8s contact %-6s DTR %-3s DSR %-3s edges %u%s\n", line.name,
                    (kb_load(&line.inputs) & TIOCM_DSR) ? "closed" : "open",
                    (visible & TIOCM_DTR) ? "on" : "off", (visible & TIOCM_DSR) ? "on" : "off",
                    kb_load(&line.dsr), (kb_load(&line.flags) & KB_UNPLUGGED) ? " unplugged" : "");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const std::string dir = argv[2];
    try {
        if (command == "setup")
            return setup(dir, std::vector<std::string>(argv + 3, argv + argc));

        auto board = BarrierBoard::attach(dir + "/state");
        if (command == "status")
            return status(*board);
        int next = 3;
        long ms = 0;
        if (command == "pulse") {
            if (argc < 4)
                return usage();
            ms = std::atol(argv[next++]);
        }
        const std::string port = next < argc ? argv[next] : "COM1";
        auto line = BarrierLine::attach(*board, deviceName(port));
        if (command == "on" || command == "off") {
            line->setContact(command == "on");
        } else if (command == "pulse") {
            const bool closed = line->contactClosed();
            line->setContact(!closed);
            const struct timespec width = {ms / 1000, (ms % 1000) * 1'000'000};
            nanosleep(&width, nullptr);
            line->setContact(closed);
        } else if (command == "unplug") {
            line->unplug();
        } else {
            return usage();
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvatron-barrier: %s\n", e.what());
        return 1;
    }
}
