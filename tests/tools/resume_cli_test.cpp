// kanimo-sim --save and --load: a run split in two prints and writes what the unbroken
// run does from the split on, a stop signal leaves a world to go on from, and a file the
// loader refuses is one line and status 2.

#include <gtest/gtest.h>

#include <string>

#include "support/sim_shell.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;
using testing::lines;
using testing::readFile;
using testing::runShell;
using testing::scratchDir;
using testing::SimResult;

// The lines of a CSV file from the row of step `from` on, its header kept.
std::string statsFrom(const std::string& csv, int from) {
    const std::size_t header = csv.find('\n') + 1;
    std::string start = "\n";
    start += std::to_string(from);
    start += ',';
    const std::size_t row = csv.find(start);
    return csv.substr(0, header) + csv.substr(row + 1);
}

TEST(ResumeCli, ASplitRunPrintsAndWritesWhatTheUnbrokenRunDoes) {
    const fs::path dir = scratchDir("resume");
    struct Split {
        const char* kind;
        int a;
        int b;
    };
    for (const Split s : {Split{"", 90, 60}, Split{"", 0, 20}, Split{"--fast", 130, 30}}) {
        SCOPED_TRACE(std::string(s.kind) + " " + std::to_string(s.a));
        const std::string total = std::to_string(s.a + s.b);
        fs::remove(dir / "r.db");
        const SimResult whole =
            runShell("cd '" + dir.string() + "' && \"$sim\" --seed 3 " + s.kind + " --steps " +
                     total + " --trace --stats w.csv --record w.db --tree w.nwk");
        ASSERT_EQ(whole.status, 0) << whole.err;
        const SimResult resumed = runShell(
            "cd '" + dir.string() + "' && \"$sim\" --seed 3 " + s.kind + " --steps " +
            std::to_string(s.a) + " --save s.sav --record r.db --quiet && \"$sim\" --load s.sav " +
            s.kind + " --steps " + std::to_string(s.b) +
            " --trace --stats r.csv --record r.db --tree r.nwk");
        ASSERT_EQ(resumed.status, 0) << resumed.err;
        EXPECT_EQ(resumed.err, "");
        const std::size_t split = whole.out.find("step " + std::to_string(s.a) + " ");
        ASSERT_NE(split, std::string::npos);
        EXPECT_TRUE(resumed.out == whole.out.substr(split));
        EXPECT_EQ(readFile(dir / "r.csv"), statsFrom(readFile(dir / "w.csv"), s.a));
        // The record continued over the split is the record of the unbroken run, and the
        // family tree of the living is the same.
        EXPECT_EQ(readFile(dir / "r.nwk"), readFile(dir / "w.nwk"));
        for (const char* table : {"runs", "creatures", "steps"}) {
            const std::string query = std::string("select * from ") + table + " order by 1";
            EXPECT_EQ(runShell("sqlite3 '" + (dir / "r.db").string() + "' '" + query + "'").out,
                      runShell("sqlite3 '" + (dir / "w.db").string() + "' '" + query + "'").out)
                << table;
        }
        EXPECT_EQ(runShell("\"$sim\" --load '" + (dir / "s.sav").string() + "' " + s.kind +
                           " --steps " + std::to_string(s.b) + " --dump")
                      .out,
                  whole.out.substr(whole.out.rfind("step ")));
    }
    fs::remove_all(dir);
}

TEST(ResumeCli, AStopSignalSavesTheLastFinishedStep) {
    const fs::path dir = scratchDir("resume-signal");
    // A background job of a script ignores SIGINT; SIGTERM takes the same path.
    const SimResult stopped =
        runShell("cd '" + dir.string() +
                 "' && exec 3>&2 2>/dev/null; \"$sim\" --seed 2 --steps "
                 "2000000000 --save s.sav --frames . --every 50 2>&3 & i=0; while [ ! -e "
                 "frame-000100.png ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i + 1)); done; "
                 "kill -TERM $!; wait $!");
    EXPECT_EQ(stopped.status, 128 + 15) << stopped.err;
    EXPECT_EQ(stopped.err, "");
    const std::string saved = (dir / "s.sav").string();
    const std::string state = runShell("\"$sim\" --load '" + saved + "' --steps 0 --dump").out;
    long long k = -1;
    ASSERT_EQ(std::sscanf(state.c_str(), "step %lld ", &k), 1) << state;
    EXPECT_GE(k, 100);
    EXPECT_EQ(runShell("\"$sim\" --load '" + saved + "' --steps 25 --dump").out,
              runShell("\"$sim\" --seed 2 --steps " + std::to_string(k + 25) + " --dump").out);
    fs::remove_all(dir);
}

TEST(ResumeCli, AFileTheLoaderRefusesIsOneLineAndStatusTwo) {
    const fs::path dir = scratchDir("resume-refused");
    const std::string d = "cd '" + dir.string() + "' && ";
    ASSERT_EQ(runShell(d + "\"$sim\" --seed 4 --steps 10 --save s.sav").status, 0);
    const std::string cases[] = {
        "\"$sim\" --load missing.sav",
        ": > empty.sav; \"$sim\" --load empty.sav",
        "echo step 0 > text.sav; \"$sim\" --load text.sav",
        "head -c 3000 s.sav > cut.sav; \"$sim\" --load cut.sav",
        "cp s.sav bad.sav; printf '\\125' | dd of=bad.sav bs=1 seek=2999 conv=notrunc "
        "2>/dev/null; cmp -s s.sav bad.sav || \"$sim\" --load bad.sav",
        "\"$sim\" --load . --steps 5",
        "\"$sim\" --load s.sav --seed 4",
        "\"$sim\" --seeds 1-2 --save x.sav",
        "\"$sim\" --load s.sav --steps 3 --save s.sav --png ./s.sav",
    };
    for (const std::string& c : cases) {
        const SimResult r = runShell(d + c);
        EXPECT_EQ(r.status, 2) << c;
        EXPECT_EQ(r.out, "") << c;
        EXPECT_EQ(lines(r.err).size(), 1u) << c << ": " << r.err;
        EXPECT_EQ(r.err.rfind("kanimo-sim: ", 0), 0u) << c << ": " << r.err;
    }
    EXPECT_EQ(
        runShell(d + "head -c 3000 s.sav > cut.sav; \"$sim\" --load cut.sav").err.substr(0, 47),
        "kanimo-sim: cannot load 'cut.sav': truncated: 3");
    fs::remove_all(dir);
}

} // namespace
} // namespace kanimo
