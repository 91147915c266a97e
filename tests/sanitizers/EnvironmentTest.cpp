// The sanitizers take their suppressions from variables that CTest hands to
// each test. A test that misses them is checked against no suppression at
// all, or, worse, by a leak check told nothing while a broad file elsewhere
// was meant to apply; so every variable must arrive, not only the first.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

TEST(Sanitizers, EveryTestGetsItsWholeEnvironment)
{
    EXPECT_EQ(variable("QT_QPA_PLATFORM"), "offscreen");
    EXPECT_NE(variable("LSAN_OPTIONS").find("tests/lsan.supp"), std::string::npos);
    EXPECT_NE(variable("TSAN_OPTIONS").find("tests/tsan.supp"), std::string::npos);
}

} // namespace
