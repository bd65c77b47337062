#include "runs/batch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "options/options.h"

namespace kanimo {
namespace {

// A summary without its speed, which differs from run to run.
std::string withoutSpeed(const std::string& line) {
    return line.substr(0, line.find(" steps_per_second"));
}

// Worlds are handed to the threads in blocks of 64 seeds a thread; a range longer than one
// block must still give every seed, in order, exactly the summary of a run of its own.
TEST(SeedBatch, ManyBlocksMatchSingleRuns) {
    SimOptions o;
    o.seedsGiven = true;
    o.firstSeed = 1;
    o.lastSeed = 140;
    o.jobs = 2;
    o.steps = 30;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ASSERT_NE(err, nullptr);
    ASSERT_EQ(runSeedBatch(o, out, err), 0);
    std::rewind(out);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, n);
    std::fclose(out);
    std::fclose(err);

    std::istringstream lines(text);
    std::string line;
    std::uint32_t seed = o.firstSeed;
    for (; std::getline(lines, line) && line.rfind("seed ", 0) == 0; ++seed) {
        std::atomic<std::uint64_t> steps{0};
        const std::atomic<bool> stop{false};
        const std::optional<SeedSummary> alone = runSeed(seed, o.steps, false, steps, stop);
        ASSERT_TRUE(alone.has_value());
        ASSERT_EQ(withoutSpeed(line), withoutSpeed(formatSeedSummary(*alone))) << seed;
    }
    EXPECT_EQ(seed, o.lastSeed + 1);
}

} // namespace
} // namespace kanimo
