// Whole-world traces recorded before any change to how fast the simulation runs. Every
// later build must reproduce them to the last bit: the same draws, in the same order, and
// the same floating-point operations.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "report/state_dump.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

struct GoldenRun {
    const char* file;
    std::uint32_t seed;
    int steps;
    StepKind kind;
    bool trace;
};

std::string readGolden(const std::string& name) {
    std::ifstream in(std::string(KANIMO_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string replay(const GoldenRun& run, ContactSearch search) {
    World world;
    world.contactSearch = search;
    world.rng.srand(run.seed);
    seedWorld(world);
    StateDump dump;
    std::string out;
    if (run.trace) dump.append(out, world, 0);
    for (int k = 1; k <= run.steps; ++k) {
        takeStep(world, run.kind);
        if (run.trace || k == run.steps) dump.append(out, world, k);
    }
    return out;
}

// Reports the first line that differs rather than two megabytes of text.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string le, la;
    for (int line = 1;; ++line) {
        const bool moreE = static_cast<bool>(std::getline(e, le));
        const bool moreA = static_cast<bool>(std::getline(a, la));
        if (!moreE && !moreA) return "identical";
        if (le != la || moreE != moreA) {
            return "line " + std::to_string(line) + "\n  recorded: " + le + "\n  now:      " + la;
        }
    }
}

TEST(Golden, RunsReproduceTheRecordedStates) {
    const GoldenRun runs[] = {
        {"seed-1-steps-20000.txt", 1, 20000, StepKind::world, false},
        {"seed-2-steps-20000.txt", 2, 20000, StepKind::world, false},
        {"seed-3-steps-20000.txt", 3, 20000, StepKind::world, false},
        {"seed-12345-steps-20000.txt", 12345, 20000, StepKind::world, false},
        {"seed-777-fast-steps-3000.txt", 777, 3000, StepKind::fast, false},
        {"seed-12345-trace-200.txt", 12345, 200, StepKind::world, true},
        {"seed-2-fast-trace-100.txt", 2, 100, StepKind::fast, true},
    };
    for (const GoldenRun& run : runs) {
        const std::string expected = readGolden(run.file);
        ASSERT_FALSE(expected.empty()) << "missing " << run.file;
        const std::string actual = replay(run, ContactSearch::spatial);
        EXPECT_TRUE(actual == expected) << run.file << ": " << firstDifference(expected, actual);
        // The traces were recorded from a pass that met every pair: the all-pairs index,
        // the reference the faster one is held to, must give them too.
        if (run.trace) {
            const std::string plain = replay(run, ContactSearch::allPairs);
            EXPECT_TRUE(plain == expected)
                << run.file << ", every pair visited: " << firstDifference(expected, plain);
        }
    }
}

} // namespace
} // namespace kanimo
