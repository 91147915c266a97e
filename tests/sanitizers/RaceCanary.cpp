// Two threads of ours write one counter without a lock. The thread check
// must report it; a suppression that matched our own threads would not.
// Its own main: CTest looks for the report in the output of a whole program
// that races on purpose, not for a passing test.

#include <cstdio>
#include <thread>

namespace {

int g_counter = 0;

} // namespace

int main()
{
    std::thread other([] { ++g_counter; });
    ++g_counter;
    other.join();
    std::printf("counter %d\n", g_counter);
    return 0;
}
