// Draw within bounded memory whatever the values: run in a child process
// whose address space is limited, so that an allocation of gigabytes fails
// there instead of quietly succeeding on a large machine.
#include "seal/Plomet.h"

#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>
#include <functional>
#include <limits>
#include <sys/resource.h>

using namespace plomet;

namespace {

// Draws in the child with at most `megabytes` of additional address space;
// exits 0 when Draw returned.
[[noreturn]] void drawLimited(const std::function<void(Plomet&)>& set, long megabytes)
{
    Plomet seal;
    seal.InitProperties();
    set(seal);
    struct rlimit now {};
    getrlimit(RLIMIT_AS, &now);
    // What the process has mapped already, plus the allowance.
    long mapped = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &mapped) != 1)
            mapped = 0;
        std::fclose(f);
    }
    struct rlimit limit = now;
    limit.rlim_cur = rlim_t(mapped) * 4096 + rlim_t(megabytes) * 1024 * 1024;
    setrlimit(RLIMIT_AS, &limit);
    seal.Draw();
    std::_Exit(seal.image() ? 0 : 3);
}

struct Row {
    const char* name;
    std::function<void(Plomet&)> set;
};

} // namespace

TEST(DrawBounds, HugeCountsDoNotAllocateGigabytes)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const Row rows[] = {
        {"one character, Space 2^31-1", [](Plomet& s) { s.setRText(QStringLiteral("中")); s.setSpace(2147483647); }},
        {"two characters, Space 2^31-1", [](Plomet& s) { s.setRText(QStringLiteral("中山")); s.setSpace(2147483647); }},
        {"10,000 characters, Space 2^31-1",
         [](Plomet& s) { s.setRText(QString(10000, QChar(u'公'))); s.setSpace(2147483647); }},
        {"sizes at infinity", [](Plomet& s) {
             s.setWidth(std::numeric_limits<float>::infinity());
             s.setHeight(std::numeric_limits<float>::infinity());
             s.setFontSize(std::numeric_limits<float>::infinity()); }},
        {"largest sizes", [](Plomet& s) {
             s.setWidth(3.4e38f); s.setHeight(3.4e38f); s.setFontSize(3.4e38f); s.setStarSize(32767); }},
    };
    for (const auto& row : rows)
        EXPECT_EXIT(drawLimited(row.set, 768), ::testing::ExitedWithCode(0), "") << row.name;
}
