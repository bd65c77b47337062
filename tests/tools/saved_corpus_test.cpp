// The saves in the fuzz corpus are files kanimo-sim wrote, each by a command line kept
// here. Every one still loads, saves to the same bytes, and goes on exactly as the run that
// wrote it would have gone on without stopping.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"
#include "save/save.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

struct SavedRun {
    const char* file;
    std::vector<std::string_view> args; // the run the file holds the world of, unbroken
};

std::string readCorpusFile(const std::string& name) {
    std::ifstream in(std::string(KANIMO_CORPUS_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(SavedCorpus, EverySaveLoadsAndGoesOnAsTheUnbrokenRun) {
    const std::string_view lives[] = {"--set",  "initialPopulation=20",
                                      "--set",  "lifespan=900",
                                      "--set",  "refillThreshold=8",
                                      "--set",  "refillCount=5",
                                      "--seed", "3"};
    auto withLives = [&](std::string_view steps) {
        std::vector<std::string_view> args(std::begin(lives), std::end(lives));
        args.insert(args.end(), {"--steps", steps});
        return args;
    };
    const SavedRun runs[] = {
        {"normal.sav", {"--seed", "2", "--steps", "3000"}},
        {"fast.sav", {"--seed", "5", "--steps", "400", "--fast", "--set", "initialPopulation=8"}},
        {"scaled.sav",
         {"--seed", "7", "--scale", "2", "--steps", "30", "--set", "initialPopulation=12", "--set",
          "refillThreshold=4", "--set", "refillCount=4"}},
        {"settings.sav", {"--seed",  "9",
                          "--steps", "300",
                          "--set",   "maxTurn=40",
                          "--set",   "maxSpeed=30",
                          "--set",   "bounceStep=12",
                          "--set",   "initialPopulation=14",
                          "--set",   "refillThreshold=3",
                          "--set",   "refillCount=4",
                          "--set",   "limbSizeFactor=2.5",
                          "--set",   "initialTurn=-7"}},
        {"seeded.sav", {"--seed", "11", "--steps", "0", "--set", "initialPopulation=4"}},
        // Written with --record and --tree, then resumed for 500 steps.
        {"lives.sav", withLives("1500")},
        {"resumed.sav", withLives("2000")},
    };
    constexpr int more = 300;
    for (const SavedRun& run : runs) {
        SCOPED_TRACE(run.file);
        const ParsedOptions parsed = parseOptions(run.args);
        ASSERT_EQ(parsed.error, "");
        const SimOptions& o = parsed.options;
        const StepKind kind = o.fast ? StepKind::fast : StepKind::world;

        const std::string bytes = readCorpusFile(run.file);
        World loaded;
        std::vector<SaveSection> extra;
        std::string error;
        ASSERT_TRUE(loadWorld(bytes, loaded, extra, error)) << error;
        ASSERT_TRUE(encodeWorld(loaded, extra) == bytes);

        World unbroken(o.settings);
        unbroken.rng.srand(o.seed);
        seedWorld(unbroken);
        for (int k = 0; k < o.steps; ++k) takeStep(unbroken, kind);
        ASSERT_TRUE(encodeWorld(loaded) == encodeWorld(unbroken));
        for (int k = 0; k < more; ++k) {
            takeStep(loaded, kind);
            takeStep(unbroken, kind);
        }
        EXPECT_TRUE(encodeWorld(loaded) == encodeWorld(unbroken));
    }
}

} // namespace
} // namespace kanimo
