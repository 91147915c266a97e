// Two threads of ours write one counter without a lock. The thread check
// must report it; a suppression that matched our own threads would not.
// Its own main: CTest looks for the report in the output of a whole program
// that races on purpose, not for a passing test.

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

int g_counter = 0;
// Keeps the other thread alive until both have written: on a busy machine it
// could otherwise finish before the main thread writes, and the check may
// not report a race with a thread that is gone. Relaxed, so it orders
// nothing the check would take as a lock.
std::atomic<bool> g_mainWrote{false};

} // namespace

int main()
{
    std::thread other([] {
        ++g_counter;
        while (!g_mainWrote.load(std::memory_order_relaxed))
            std::this_thread::yield();
    });
    ++g_counter;
    g_mainWrote.store(true, std::memory_order_relaxed);
    other.join();
    std::printf("counter %d\n", g_counter);
    return 0;
}
