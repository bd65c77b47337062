// What a hostile or unlucky user may leave at an output's or an input's path: each case is
// refused with one line before the run, or written without harm, and what was there stays
// whole.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "support/sim_shell.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;
using testing::lines;
using testing::readFile;
using testing::runShell;
using testing::scratchDir;

struct Database {
    sqlite3* db = nullptr;
    explicit Database(const fs::path& path) { sqlite3_open(path.c_str(), &db); }
    ~Database() { sqlite3_close(db); }
    std::string run(const std::string& sql) {
        std::string rows;
        const auto collect = [](void* out, int n, char** values, char**) {
            for (int i = 0; i < n; ++i)
                *static_cast<std::string*>(out) += values[i] ? values[i] : "";
            return 0;
        };
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), collect, &rows, &error) != SQLITE_OK) {
            rows = std::string("error: ") + (error != nullptr ? error : "?");
        }
        sqlite3_free(error);
        return rows;
    }
};

// A checksum of every file of the folder, to tell that nothing changed. Taken by another
// process: closing a file of its own would drop this one's SQLite locks on it.
std::string snapshot(const fs::path& dir) {
    return runShell("cd '" + dir.string() +
                    "' && find . -maxdepth 1 -type f -exec md5sum {} + | sort")
        .out;
}

// A writer killed in the middle of a transaction whose pages it had begun to write: the
// journal it leaves is hot, and belongs to that database file alone.
void leaveHotJournal(const fs::path& db) {
    const pid_t child = fork();
    if (child == 0) {
        Database writer(db);
        writer.run("PRAGMA cache_size = 10; BEGIN; UPDATE creatures SET genome = genome || "
                   "genome; UPDATE steps SET length = length + 1;");
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

// A pid that no process has.
pid_t goneProcess() {
    for (pid_t pid = 4000000;; --pid) {
        if (kill(pid, 0) != 0 && errno == ESRCH) return pid;
    }
}

struct Case {
    const char* what;
    // Prepares the folder, which holds r.db and s.sav (the record and the save of a run of
    // 300 steps) and a named pipe, and may hold something open for the time of the run.
    std::function<std::shared_ptr<void>(const fs::path&)> setUp;
    std::string run; // kanimo-sim's arguments, in the folder
    int status;
    std::string said; // the one line's words after the path, or "" for none
    // Whether the folder's files must stay as they were.
    bool unchanged;
    std::function<void(const fs::path&, void* held)> check;
};

TEST(OutputEdges, EachCaseIsRefusedOrWrittenWithoutHarm) {
    const fs::path dir = scratchDir("edges");
    const std::string cd = "cd '" + dir.string() + "' || exit 1; ";
    const auto nothing = [](const fs::path&) { return std::shared_ptr<void>(); };
    const auto none = [](const fs::path&, void*) {};
    const Case cases[] = {
        {"a hot journal beside the record",
         [](const fs::path& d) {
             leaveHotJournal(d / "r.db");
             return std::shared_ptr<void>();
         },
         "--seed 1 --steps 20 --record r.db", 2, "it has a hot journal", true, none},
        // The old way renamed the new file over r.db, pairing it with the session's WAL.
        {"a WAL session open on the record",
         [](const fs::path& d) {
             auto session = std::make_shared<Database>(d / "r.db");
             session->run("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; "
                          "CREATE TABLE other (a); INSERT INTO other VALUES (1), (2);");
             return std::static_pointer_cast<void>(session);
         },
         "--seed 1 --steps 20 --record r.db", 0, "", false,
         [](const fs::path& d, void* held) {
             // The session sees the new record too, and so does a reader after it.
             Database& session = *static_cast<Database*>(held);
             EXPECT_EQ(session.run("SELECT first_step + steps FROM runs"), "20");
             EXPECT_EQ(session.run("PRAGMA integrity_check"), "ok");
             session.run("PRAGMA wal_checkpoint");
             Database reader(d / "r.db");
             EXPECT_EQ(reader.run("PRAGMA integrity_check"), "ok");
             EXPECT_EQ(reader.run("SELECT count(*) FROM steps"), "21");
         }},
        {"a writer's uncommitted change to the record being continued",
         [](const fs::path& d) {
             auto writer = std::make_shared<Database>(d / "r.db");
             writer->run("BEGIN IMMEDIATE; DELETE FROM steps;");
             return std::static_pointer_cast<void>(writer);
         },
         "--load s.sav --steps 20 --record r.db", 2, "another program is writing to it", true,
         none},
        {"another user's link in a sticky folder",
         [](const fs::path& d) {
             fs::create_directory(d / "shared");
             chmod((d / "shared").c_str(), 01777);
             fs::create_symlink("../s.sav", d / "shared" / "link");
             lchown((d / "shared" / "link").c_str(), 4321, 4321);
             return std::shared_ptr<void>();
         },
         "--seed 1 --steps 5 --stats shared/link", 2, "a symbolic link that another user made",
         true, none},
        {"the caller's own link in a sticky folder",
         [](const fs::path& d) {
             fs::create_directory(d / "shared");
             chmod((d / "shared").c_str(), 01777);
             fs::create_symlink("../out.csv", d / "shared" / "link");
             return std::shared_ptr<void>();
         },
         "--seed 1 --steps 5 --stats shared/link", 0, "", false,
         [](const fs::path& d, void*) {
             EXPECT_EQ(readFile(d / "out.csv").substr(0, 5), "step,");
         }},
        {"a private file replaced, a new one made under a umask",
         [](const fs::path& d) {
             std::ofstream(d / "private.csv") << "old\n";
             chmod((d / "private.csv").c_str(), 0600);
             return std::shared_ptr<void>();
         },
         "--seed 1 --steps 5 --stats private.csv --plot new.svg", 0, "", false,
         [](const fs::path& d, void*) {
             EXPECT_EQ(fs::status(d / "private.csv").permissions(), fs::perms(0600));
             EXPECT_EQ(fs::status(d / "new.svg").permissions(), fs::perms(0640));
         }},
        {"an output on the --load file", nothing, "--load s.sav --steps 5 --stats ./s.sav", 2,
         "would replace the --load file", true, none},
        {"a named pipe nothing reads, as an output", nothing, "--seed 1 --steps 5 --png pipe", 2,
         "a named pipe that nothing reads", true, none},
        {"a named pipe, as the --load file", nothing, "--load pipe --steps 5", 2,
         "not a regular file", true, none},
        {"a device that never ends, as the --load file", nothing, "--load /dev/zero", 2,
         "not a regular file", true, none},
        {"a killed run's temporary file",
         [](const fs::path& d) {
             std::ofstream(d / (".out.csv." + std::to_string(goneProcess()) + "-0.tmp")) << "x";
             std::ofstream(d / (".out.csv." + std::to_string(getpid()) + "-0.tmp")) << "mine";
             return std::shared_ptr<void>();
         },
         "--seed 1 --steps 5 --stats out.csv", 0, "", false,
         [](const fs::path& d, void*) {
             // The live process's file stays; the dead one's is gone.
             int temporaries = 0;
             for (const auto& entry : fs::directory_iterator(d)) {
                 temporaries += entry.path().extension() == ".tmp";
             }
             EXPECT_EQ(temporaries, 1);
         }},
    };
    for (const Case& c : cases) {
        if (std::string(c.what).find("user's link") != std::string::npos && geteuid() != 0) {
            continue; // only root can make a link of another user's
        }
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_EQ(runShell(cd +
                           "\"$sim\" --seed 1 --steps 300 --quiet --record r.db --save s.sav && "
                           "mkfifo pipe")
                      .status,
                  0);
        const std::shared_ptr<void> held = c.setUp(dir);
        const std::string before = snapshot(dir);
        const testing::SimResult r =
            runShell(cd + "umask 027; timeout 20 \"$sim\" --quiet " + c.run);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        if (c.said.empty()) {
            EXPECT_EQ(r.err, "") << c.what;
        } else {
            EXPECT_EQ(lines(r.err).size(), 1u) << c.what << ": " << r.err;
            EXPECT_NE(r.err.find(c.said), std::string::npos) << c.what << ": " << r.err;
        }
        if (c.unchanged) {
            EXPECT_EQ(snapshot(dir), before) << c.what;
        }
        c.check(dir, held.get());
    }
    // A pipe named through a link that no folder holds is written directly, as ever.
    const testing::SimResult piped = runShell("\"$sim\" --seed 1 --steps 5 --stats /dev/stdout");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out.rfind("step,", 0), 0u) << piped.out;
    fs::remove_all(dir);
}

} // namespace
} // namespace kanimo
