// A run asked to stop ends promptly even in the middle of a step that would never end or of
// a seeding that would take hours, and --save still holds the last whole step.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/sim_shell.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;
using testing::lines;
using testing::readFile;
using testing::runShell;
using testing::scratchDir;

// Starts `run` in the background, waits until `ready` is a file (or 60 s), then 0.5 s more,
// sends SIGTERM and prints the run's status and the milliseconds from the signal to its end.
// The shell's own word on the job ("Terminated") is not the program's.
std::string stopLater(const std::string& run, const std::string& ready) {
    return "exec 3>&2 2>/dev/null; \"$sim\" " + run + " 2>&3 & pid=$!; i=0; while [ ! -e " + ready +
           " ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i + 1)); done; sleep 0.5; "
           "start=$(date +%s%N); kill -TERM $pid; wait $pid; status=$?; end=$(date +%s%N); "
           "echo \"$status $(( (end - start) / 1000000 ))\"";
}

TEST(StopSignal, EndsAnExplodingStepAndALongSeedingAndSavesTheLastWholeStep) {
    const fs::path dir = scratchDir("stop");
    const std::string cd = "cd '" + dir.string() + "' || exit 1; ";
    // With this lifespan, seed 1's newborns split in their first tick from step 607 on,
    // within that one step: the population passes any limit there.
    const std::string world = "--seed 1 --set lifespan=700 ";
    const testing::SimResult limited =
        runShell(cd + "\"$sim\" " + world + "--steps 700 --population-limit 20000");
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "kanimo-sim: the world exploded: its population passed 20000 "
                           "creatures in step 607 (--population-limit sets the limit)\n");

    ASSERT_EQ(runShell(cd + "\"$sim\" " + world + "--steps 598 --quiet --save a.sav").status, 0);
    ASSERT_EQ(runShell(cd + "\"$sim\" " + world + "--steps 606 --quiet --save want.sav").status, 0);
    // Loaded at step 598, the run takes eight whole steps, writes the frame of step 606 and
    // is stopped in step 607: its save is the one the unbroken run makes after step 606.
    const testing::SimResult exploding =
        runShell(cd + stopLater("--load a.sav --steps 100 --save got.sav --frames fr --quiet",
                                "fr/frame-000606.png"));
    int status = 0;
    long long milliseconds = 0;
    ASSERT_EQ(std::sscanf(exploding.out.c_str(), "%d %lld", &status, &milliseconds), 2);
    EXPECT_EQ(status, 128 + 15) << exploding.err;
    EXPECT_EQ(exploding.err, "");
    // Half a second of grace, the steps since the last copy again, and the save: about a
    // second here (more in a sanitizer build), where the step alone would run for minutes.
    EXPECT_LT(milliseconds, 15000);
    ASSERT_TRUE(fs::exists(dir / "got.sav"));
    EXPECT_TRUE(readFile(dir / "got.sav") == readFile(dir / "want.sav"));

    // A million creatures to seed: no whole state to save, which the one line says.
    const testing::SimResult seeding =
        runShell(cd + stopLater("--seed 1 --set initialPopulation=1000000 --save s.sav", "a.sav"));
    ASSERT_EQ(std::sscanf(seeding.out.c_str(), "%d %lld", &status, &milliseconds), 2);
    EXPECT_EQ(status, 128 + 15);
    EXPECT_LT(milliseconds, 15000);
    EXPECT_EQ(seeding.err, "kanimo-sim: not saved to 's.sav': the run was stopped while "
                           "seeding, before its first state\n");
    EXPECT_FALSE(fs::exists(dir / "s.sav"));

    // A closed standard output is a signal like the others: the world is saved.
    const testing::SimResult piped =
        runShell(cd + "{ \"$sim\" --seed 1 --steps 100000 --trace --save p.sav; echo $? >st; } "
                      "| head -1 >/dev/null; cat st; \"$sim\" --load p.sav --steps 0 --dump "
                      "| head -1");
    const std::vector<std::string> said = lines(piped.out);
    ASSERT_EQ(said.size(), 2u) << piped.out << piped.err;
    EXPECT_EQ(said[0], "141");
    EXPECT_EQ(said[1].rfind("step ", 0), 0u) << said[1];
    fs::remove_all(dir);
}

} // namespace
} // namespace kanimo
