// End-to-end runs of the built kanimo-sim binary; formats and parsing are tested directly
// in the other files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/sim_shell.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;
using testing::lines;
using testing::readFile;
using testing::runShell;
using testing::runSim;
using testing::scratchDir;
using testing::SimResult;

TEST(SimCli, TraceHasABlockPerStepAndRepeats) {
    const SimResult trace = runSim("--seed 77 --steps 3 --trace");
    ASSERT_EQ(trace.status, 0) << trace.err;
    EXPECT_EQ(trace.err, "");
    // Each block: a header naming its length, then that many creature lines.
    std::istringstream in(trace.out);
    std::string line;
    int blocks = 0;
    while (std::getline(in, line)) {
        int k = -1;
        int length = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "step %d population %*d length %d", &k, &length), 2)
            << line;
        EXPECT_EQ(k, blocks++);
        for (int i = 0; i < length; ++i) ASSERT_TRUE(std::getline(in, line));
    }
    EXPECT_EQ(blocks, 4);

    EXPECT_EQ(runSim("--seed 77 --steps 3 --trace").out, trace.out);
    EXPECT_NE(runSim("--seed 78 --steps 3 --trace").out, trace.out);
    const std::string dump = runSim("--seed 77 --steps 3 --dump").out;
    EXPECT_EQ(dump, trace.out.substr(trace.out.rfind("step ")));
}

TEST(SimCli, ClockSeedIsReportedAndRepeatable) {
    const SimResult r = runSim("--steps 20 --dump");
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.err.rfind("kanimo-sim: seed ", 0), 0u) << r.err;
    const std::string seed = r.err.substr(17, r.err.find('\n') - 17);
    EXPECT_EQ(runSim("--seed " + seed + " --steps 20 --dump").out, r.out);
}

TEST(SimCli, FastModeNeverCullsAndBenchLineComesLast) {
    const SimResult normal = runSim("--seed 5 --steps 300 --dump");
    const SimResult fast = runSim("--seed 5 --steps 300 --dump --fast --bench");
    ASSERT_EQ(fast.status, 0);
    EXPECT_EQ(fast.out.rfind("step 300 population 0 ", 0), 0u);
    EXPECT_NE(normal.out, fast.out.substr(0, normal.out.size()));
    double perSecond = 0;
    double perStep = 0;
    EXPECT_EQ(std::sscanf(lines(fast.out).back().c_str(), "steps_per_second %lf us_per_step %lf",
                          &perSecond, &perStep),
              2);
    EXPECT_GT(perSecond * perStep, 0);
}

TEST(SimCli, StatsHasARowPerStep) {
    const fs::path dir = scratchDir("stats");
    const SimResult r = runSim("--seed 9 --steps 30 --stats '" + (dir / "s.csv").string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> rows = lines(readFile(dir / "s.csv"));
    ASSERT_EQ(rows.size(), 32u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        int step = -1, length = -1, living = -1, dead = -1;
        ASSERT_EQ(std::sscanf(rows[i].c_str(), "%d,%d,%d,%d,", &step, &length, &living, &dead), 4);
        EXPECT_EQ(step, static_cast<int>(i) - 1);
        EXPECT_EQ(living + dead, length);
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 11);
    }
    fs::remove_all(dir);
}

// The line a run of files only ends with, for a seeded run and for its continuation.
TEST(SimCli, SummaryLineAgreesWithStats) {
    const fs::path dir = scratchDir("summary");
    const std::string cd = "cd '" + dir.string() + "' && ";
    long long eventsSeen = 0;
    for (const std::string& run :
         {std::string("\"$sim\" --seed 6 --steps 400 --stats s.csv --save s.sav"),
          std::string("\"$sim\" --load s.sav --steps 1500 --stats s.csv")}) {
        const SimResult r = runShell(cd + run);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        long long steps = -1, last = -1, living = -1, dead = -1, births = -1, deaths = -1;
        unsigned seed = 0;
        ASSERT_EQ(std::sscanf(r.err.c_str(),
                              "kanimo-sim: ran %lld steps to step %lld: %lld living, %lld dead; "
                              "%lld births, %lld deaths; seed %u\n",
                              &steps, &last, &living, &dead, &births, &deaths, &seed),
                  7)
            << r.err;
        EXPECT_EQ(lines(r.err).size(), 1u);
        EXPECT_EQ(seed, 6u);
        // The first row is the state the run starts from; the others are its steps.
        const std::vector<std::string> rows = lines(readFile(dir / "s.csv"));
        ASSERT_GE(rows.size(), 3u);
        long long bornSum = 0, diedSum = 0;
        long long step = 0, length = 0, alive = 0, gone = 0, born = 0, died = 0;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            ASSERT_EQ(std::sscanf(rows[i].c_str(), "%lld,%lld,%lld,%lld,%lld,%lld", &step, &length,
                                  &alive, &gone, &born, &died),
                      6);
            if (i == 1) continue;
            bornSum += born;
            diedSum += died;
        }
        EXPECT_EQ(steps, static_cast<long long>(rows.size()) - 2);
        EXPECT_EQ(last, step);
        EXPECT_EQ(living, alive);
        EXPECT_EQ(dead, gone);
        EXPECT_EQ(births, bornSum);
        EXPECT_EQ(deaths, diedSum);
        eventsSeen += bornSum + diedSum;
    }
    EXPECT_GT(eventsSeen, 0);
    // Standard output, --quiet and a batch of seeds keep standard error as it was.
    for (const char* args :
         {"--seed 6 --steps 5 --dump", "--seed 6 --steps 5 --quiet", "--seeds 1-2 --steps 5"}) {
        EXPECT_EQ(runShell(cd + "\"$sim\" " + args).err, "") << args;
    }
    fs::remove_all(dir);
}

// --frames makes its folder and the folders above it, but takes no file for a folder.
TEST(SimCli, FramesFolderIsMade) {
    const fs::path dir = scratchDir("frames-folder");
    const SimResult made = runSim("--seed 1 --steps 4 --every 2 --quiet --frames '" +
                                  (dir / "a" / "b").string() + "'");
    ASSERT_EQ(made.status, 0) << made.err;
    for (const char* name : {"frame-000000.png", "frame-000002.png", "frame-000004.png"}) {
        EXPECT_TRUE(fs::is_regular_file(dir / "a" / "b" / name)) << name;
    }
    // A picture named as one of the frames in a folder yet to be made is still a clash.
    const SimResult clash = runShell("cd '" + dir.string() +
                                     "' && \"$sim\" --seed 1 --steps 4 --frames c/d --png "
                                     "c/./d/../d/frame-000004.png");
    EXPECT_EQ(clash.status, 2);
    EXPECT_EQ(clash.err,
              "kanimo-sim: --png and --frames both write 'c/./d/../d/frame-000004.png'\n");
    EXPECT_FALSE(fs::exists(dir / "c"));

    std::ofstream(dir / "file") << "kept";
    const SimResult refused =
        runSim("--seed 1 --steps 4 --frames '" + (dir / "file").string() + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "kanimo-sim: cannot write '" + (dir / "file").string() + "': Not a directory\n");
    EXPECT_EQ(readFile(dir / "file"), "kept");
    fs::remove_all(dir);
}

TEST(SimCli, SeedBatchPrintsInSeedOrderAsIfAlone) {
    const SimResult batch = runSim("--seeds 7-10 --jobs 3 --steps 40");
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::vector<std::string> rows = lines(batch.out);
    ASSERT_EQ(rows.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].rfind("seed " + std::to_string(7 + i) + " length ", 0), 0u) << rows[i];
    }
    const std::string alone = lines(runSim("--seeds 9 --jobs 1 --steps 40").out).at(0);
    auto withoutSpeed = [](const std::string& s) { return s.substr(0, s.find(" steps_per")); };
    EXPECT_EQ(withoutSpeed(alone), withoutSpeed(rows[2]));
}

TEST(SimCli, WritesPictures) {
    const fs::path dir = scratchDir("png");
    const SimResult r = runSim("--seed 3 --steps 5 --png '" + (dir / "end.png").string() +
                               "' --frames '" + dir.string() + "' --every 2 --plain");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string signature = "\x89PNG\r\n\x1a\n";
    for (const char* name :
         {"end.png", "frame-000000.png", "frame-000002.png", "frame-000004.png"}) {
        EXPECT_EQ(readFile(dir / name).substr(0, 8), signature) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
    fs::remove_all(dir);
}

TEST(SimCli, UserErrorsEndWithOneLineAndStatusTwo) {
    const fs::path dir = scratchDir("errors");
    const std::string missing = (dir / "missing").string();
    for (const std::string& args :
         {std::string("--steps abc"), std::string("--seeds 5-1"),
          "--seed 1 --png '" + missing + "/x.png'", "--seed 1 --stats '" + missing + "/s.csv'",
          "--seed 1 --video '" + missing + "/v.mp4'", std::string("--seed 1 --video v.avi")}) {
        const SimResult r = runSim(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(lines(r.err).size(), 1u) << args << ": " << r.err;
        EXPECT_EQ(r.err.rfind("kanimo-sim: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(runSim("--steps abc").err,
              "kanimo-sim: --steps needs a whole number from 0 to 2147483647, got 'abc'\n");
    EXPECT_TRUE(fs::is_empty(dir));
    fs::remove_all(dir);
    EXPECT_EQ(runSim("--help").status, 0);
}

// Each case runs in a directory holding keep.csv, an earlier result, and an empty fr/.
TEST(SimCli, AFailedOrInterruptedRunNeverReportsSuccessNorDestroysAFile) {
    struct Case {
        const char* what;
        std::string script;
        int status;
        std::size_t messageLines;
    };
    const Case cases[] = {
        {"help to a full device", "\"$sim\" --help >/dev/full", 1, 1},
        {"summaries to a full device", "\"$sim\" --seeds 1-3 --steps 5 >/dev/full", 1, 1},
        {"one path twice", "\"$sim\" --seed 1 --steps 5 --stats keep.csv --png fr/../keep.csv", 2,
         1},
        {"a picture over a frame",
         "\"$sim\" --seed 1 --steps 20 --frames fr --every 10 --png fr/frame-000010.png", 2, 1},
        // Without --seed: the clock-seed line must not come before the error.
        {"an unwritable output beside an existing file",
         "\"$sim\" --steps 10 --stats keep.csv --png missing/x.png", 2, 1},
        // A background job of a script ignores SIGINT; SIGTERM takes the same path. The
        // shell's own word on the job ("Terminated") is not the program's.
        {"an interrupted run",
         "exec 3>&2 2>/dev/null; \"$sim\" --seed 2 --steps 100000000 --stats keep.csv "
         "--frames fr 2>&3 & i=0; while [ ! -e fr/frame-000002.png ] && [ $i -lt 400 ]; "
         "do sleep 0.05; i=$((i + 1)); done; kill -TERM $!; wait $!",
         128 + 15, 0},
    };
    const fs::path dir = scratchDir("failures");
    for (const Case& c : cases) {
        fs::remove_all(dir);
        fs::create_directories(dir / "fr");
        std::ofstream(dir / "keep.csv") << "old\n";
        const SimResult r = runShell("cd '" + dir.string() + "' && " + c.script);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        EXPECT_EQ(lines(r.err).size(), c.messageLines) << c.what << ": " << r.err;
        EXPECT_EQ(readFile(dir / "keep.csv"), "old\n") << c.what;
        // No temporary file is left, and every frame written is whole.
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "fr" || name == "keep.csv" || name.rfind("frame-", 0) == 0)
                << c.what << ": " << name;
            if (name.rfind("frame-", 0) == 0) {
                const std::string png = readFile(entry.path());
                EXPECT_EQ(png.substr(png.size() - 8), std::string("IEND\xAE\x42\x60\x82", 8))
                    << c.what << ": " << name;
            }
        }
    }
    EXPECT_FALSE(fs::is_empty(dir / "fr")) << "the interrupted run wrote no frame in 20 s";
    fs::remove_all(dir);
}

TEST(SimCli, AThreadThatCannotStartGivesStatusOneAndOneLine) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
    // A thread's stack takes the size of the stack limit: with 1 GiB stacks in 1.5 GiB of
    // address space one worker starts and a second cannot.
    const std::string limits = "ulimit -s 1048576 && ulimit -v 1572864 && exec \"$sim\" ";
    EXPECT_EQ(runShell("(" + limits + "--seeds 1-2 --jobs 1 --steps 100)").status, 0);
    const SimResult r = runShell("(" + limits + "--seeds 1-2 --jobs 2 --steps 100)");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kanimo-sim: cannot start a thread: Resource temporarily unavailable\n");
}

} // namespace
} // namespace kanimo
