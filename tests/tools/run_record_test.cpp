#include "record/run_record.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "options/options.h"
#include "record/lineage_outputs.h"
#include "report/stats_csv.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;

fs::path scratchDir(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("kanimo-record-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Every row of a query, fields joined by '|', one line per row; NULL as "".
std::string query(const fs::path& db, const std::string& sql) {
    sqlite3* handle = nullptr;
    std::string rows;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        const auto collect = [](void* out, int n, char** values, char**) {
            std::string& text = *static_cast<std::string*>(out);
            for (int i = 0; i < n; ++i) {
                if (i > 0) text.push_back('|');
                text += values[i] != nullptr ? values[i] : "";
            }
            text.push_back('\n');
            return 0;
        };
        char* error = nullptr;
        if (sqlite3_exec(handle, sql.c_str(), collect, &rows, &error) != SQLITE_OK) {
            rows = std::string("error: ") + (error != nullptr ? error : "?");
        }
        sqlite3_free(error);
    }
    sqlite3_close(handle);
    return rows;
}

long long count(const fs::path& db, const std::string& sql) {
    return std::atoll(query(db, sql).c_str());
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, separator);) cells.push_back(cell);
    if (!line.empty() && line.back() == separator) cells.push_back("");
    return cells;
}

TEST(RunRecord, AgreesWithStatsAndHoldsTogether) {
    const fs::path dir = scratchDir("stats");
    const std::string command = std::string("'") + KANIMO_SIM_PATH +
                                "' --seed 2 --steps 5000 --stats '" + (dir / "s.csv").string() +
                                "' --record '" + (dir / "r.db").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const fs::path db = dir / "r.db";

    // Every step row as in --stats: counts exactly, measures to the CSV's ten digits.
    std::ifstream csv(dir / "s.csv");
    std::string line;
    std::getline(csv, line);
    std::istringstream steps(query(db, "SELECT * FROM steps ORDER BY step"));
    long long born = 0, removed = 0;
    std::vector<std::string> last;
    std::string row;
    while (std::getline(csv, line)) {
        ASSERT_TRUE(std::getline(steps, row)) << line;
        const std::vector<std::string> want = split(line, ','), got = split(row, '|');
        ASSERT_EQ(got.size(), want.size()) << row;
        for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(got[i], want[i]) << row;
        for (std::size_t i = 6; i < want.size(); ++i) {
            ASSERT_EQ(got[i].empty(), want[i].empty()) << row;
            if (want[i].empty()) continue;
            const double value = std::stod(want[i]);
            EXPECT_NEAR(std::stod(got[i]), value, 1e-9 * std::abs(value)) << row;
        }
        born += std::stoll(want[4]);
        removed += std::stoll(want[5]);
        last = want;
    }
    EXPECT_FALSE(std::getline(steps, row));

    // Each creature is alive, dead and shrinking, or removed, and has one row.
    EXPECT_EQ(count(db, "SELECT count(*) FROM creatures"), born);
    EXPECT_EQ(count(db, "SELECT count(*) FROM creatures WHERE death_step IS NULL"),
              std::stoll(last[2]));
    EXPECT_EQ(count(db, "SELECT count(*) FROM creatures WHERE death_cause IS NOT NULL"),
              removed + std::stoll(last[3]));
    // Offspring come from a parent that split in the step they were born in.
    EXPECT_EQ(count(db, "SELECT count(*) FROM creatures c LEFT JOIN creatures p ON "
                        "c.parent_id = p.id WHERE c.parent_id IS NOT NULL AND (p.id IS NULL OR "
                        "c.generation != p.generation + 1 OR c.birth_step != p.death_step OR "
                        "p.death_cause != 'split')"),
              0);
    EXPECT_GT(count(db, "SELECT count(*) FROM creatures WHERE generation > 1"), 0);
    EXPECT_EQ(count(db, "SELECT count(*) FROM creatures WHERE drag + bite + feed + propel != "
                        "segments OR genome = ''"),
              0);
    EXPECT_EQ(query(db, "SELECT seed, step_kind, first_step, steps, world_size FROM runs"),
              "2|world|0|5000|600\n");

    // The steps table has the CSV's columns, and a kind's share after the last step is what
    // the living's rows in the creatures table count of that kind.
    std::ifstream header(dir / "s.csv");
    std::getline(header, line);
    EXPECT_EQ(query(db, "SELECT group_concat(name, ',') FROM pragma_table_info('steps')"),
              line + "\n");
    for (const char* kind : {"drag", "bite", "feed", "propel"}) {
        const std::string share = query(db, std::string("SELECT ") + kind +
                                                "_share FROM steps ORDER BY step DESC LIMIT 1");
        const std::string counted =
            query(db, std::string("SELECT CAST(sum(") + kind +
                          ") AS REAL) / sum(segments) FROM creatures WHERE death_step IS NULL");
        EXPECT_NEAR(std::stod(share), std::stod(counted), 1e-12) << kind;
    }
    fs::remove_all(dir);
}

// Runs the world (seeding it when it is empty) up to `lastStep`, recording as kanimo-sim
// does; `continuing` goes on with the record already at `path`.
std::string recordUpTo(World& world, const fs::path& path, bool continuing, long long lastStep) {
    SimOptions options;
    options.recordPath = path.string();
    LineageOutputs out(options);
    std::string problem = out.open(continuing);
    const bool fresh = world.creatures.head() == nullptr;
    if (problem.empty() && fresh) {
        world.rng.srand(11);
        seedWorld({world, out.observer()});
    }
    if (problem.empty()) problem = out.begin(world, RecordedRun{11, StepKind::world});
    if (problem.empty() && fresh) {
        problem = out.afterStep(0, {0, world.creatures.size(), 0}, takeCensus(world));
    }
    while (problem.empty() && world.stepCount < lastStep) {
        const StepReport report = takeStep(world, StepKind::world, out.observer());
        problem = out.afterStep(world.stepCount, report, takeCensus(world));
    }
    if (problem.empty()) problem = out.finish(world);
    if (problem.empty()) problem = out.commit();
    return problem;
}

TEST(RunRecord, AContinuedRecordEqualsOneOfTheWholeRun) {
    const fs::path dir = scratchDir("continued");
    World whole;
    ASSERT_EQ(recordUpTo(whole, dir / "whole.db", false, 3000), "");
    World parted;
    ASSERT_EQ(recordUpTo(parted, dir / "part.db", false, 1300), "");
    ASSERT_EQ(recordUpTo(parted, dir / "part.db", true, 3000), "");
    for (const char* table : {"runs", "creatures", "steps"}) {
        const std::string all = std::string("SELECT * FROM ") + table + " ORDER BY 1";
        EXPECT_EQ(query(dir / "part.db", all), query(dir / "whole.db", all)) << table;
    }

    // A record of another point of the run, or no record at all, cannot be continued;
    // the file stays as it was.
    World earlier;
    ASSERT_EQ(recordUpTo(earlier, dir / "earlier.db", false, 400), "");
    const std::string before = query(dir / "part.db", "SELECT * FROM steps");
    EXPECT_NE(recordUpTo(earlier, dir / "part.db", true, 950).find("does not record this run"),
              std::string::npos);
    EXPECT_EQ(query(dir / "part.db", "SELECT * FROM steps"), before);
    std::ofstream(dir / "other.db") << "not a database\n";
    EXPECT_NE(recordUpTo(whole, dir / "other.db", true, 950).find("not a kanimo-sim record"),
              std::string::npos);
    fs::remove_all(dir);
}

} // namespace
} // namespace kanimo
