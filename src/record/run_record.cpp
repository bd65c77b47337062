#include "record/run_record.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "creature/creature.h"
#include "files/output_file.h"
#include "files/printable.h"
#include "report/genome_text.h"
#include "report/stats_csv.h"
#include "world/settings_limits.h"
#include "world/world.h"

namespace kanimo {

namespace {

// "KNMO", so that file(1) and a careful reader can tell a record from another database.
constexpr int applicationId = 0x4B4E4D4F;
// 2: the steps table names its shares by segment kind (drag_share ...), not kind0_share.
constexpr int schemaVersion = 2;
// Steps per transaction: large enough that commits cost nothing next to the steps.
constexpr long long stepsPerCommit = 1000;

// Binds every setting, in the table's order, from parameter `first` on.
void bindSettings(sqlite3_stmt* s, int first, const WorldSettings& settings) {
    for (const SettingField& f : settingFields()) {
        if (f.whole != nullptr) {
            sqlite3_bind_int(s, first++, settings.*f.whole);
        } else {
            sqlite3_bind_double(s, first++, settings.*f.real);
        }
    }
}

const char* stepKindName(StepKind kind) {
    return kind == StepKind::fast ? "fast" : "world";
}

std::string schema() {
    std::string runs = "CREATE TABLE runs (id INTEGER PRIMARY KEY, seed INTEGER, "
                       "step_kind TEXT NOT NULL, first_step INTEGER NOT NULL, "
                       "steps INTEGER NOT NULL, version TEXT NOT NULL";
    for (const SettingField& f : settingFields()) {
        runs += ", " + std::string(f.column) + (f.whole != nullptr ? " INTEGER" : " REAL");
    }
    runs += ");\n";
    std::string shares;
    for (const char* kind : segmentKindNames) shares += std::string(", ") + kind + "_share REAL";
    return runs +
           "CREATE TABLE creatures (id INTEGER PRIMARY KEY, parent_id INTEGER, "
           "generation INTEGER NOT NULL, mutated INTEGER NOT NULL, "
           "birth_step INTEGER NOT NULL, death_step INTEGER, death_cause TEXT, "
           "genome TEXT NOT NULL, segments INTEGER NOT NULL, drag INTEGER NOT NULL, "
           "bite INTEGER NOT NULL, feed INTEGER NOT NULL, propel INTEGER NOT NULL);\n"
           "CREATE TABLE steps (step INTEGER PRIMARY KEY, length INTEGER NOT NULL, "
           "living INTEGER NOT NULL, dead INTEGER NOT NULL, births INTEGER NOT NULL, "
           "deaths INTEGER NOT NULL, mean_size REAL, mean_energy REAL" +
           shares +
           ");\n"
           "PRAGMA application_id = " +
           std::to_string(applicationId) +
           ";\nPRAGMA user_version = " + std::to_string(schemaVersion) + ";\n";
}

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

// The single value of a query, or nothing when it has no row or fails.
std::optional<long long> queryNumber(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* made = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &made, nullptr);
    const Statement query(made);
    if (query == nullptr || sqlite3_step(query.get()) != SQLITE_ROW ||
        sqlite3_column_type(query.get(), 0) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_int64(query.get(), 0);
}

// How long to wait for another program's lock on an existing record: long enough for a
// commit of its to end, not for a writer that holds the file for good.
constexpr int waitBeforeRunMs = 1000;
constexpr int waitAtEndMs = 5000;

// A connection of its own, closed on every way out.
struct Handle {
    sqlite3* db = nullptr;
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { sqlite3_close(db); }

    // Opens the file as it is: a link put in its place meanwhile is not followed.
    int open(const std::string& path, int flags, int waitMs) {
        const int result =
            sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOFOLLOW, nullptr);
        if (db != nullptr) {
            sqlite3_extended_result_codes(db, 1);
            sqlite3_busy_timeout(db, waitMs);
        }
        return result;
    }

    // Runs `sql` to its end; the result code of the first failing call.
    int run(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

    std::string message() const { return db != nullptr ? sqlite3_errmsg(db) : "out of memory"; }
};

// The reason for an SQLite result that another program's work on the file explains.
std::string lockedReason(int result) {
    if ((result & 0xFF) == SQLITE_BUSY || (result & 0xFF) == SQLITE_LOCKED) {
        return "another program is writing to it";
    }
    if (result == SQLITE_READONLY_ROLLBACK) {
        return "it has a hot journal left by a program that stopped while writing to it; "
               "open it once with sqlite3 to roll that back";
    }
    return {};
}

// Copies the whole database of `from` into `to` in one step, through SQLite's locks.
int backUp(sqlite3* from, sqlite3* to) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (backup == nullptr) return sqlite3_extended_errcode(to);
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    return stepped == SQLITE_DONE ? finished : stepped;
}

bool fileExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

} // namespace

// The statements are finalized before the connection closes: a connection with
// statements left open would stay open.
struct RunRecord::Connection {
    sqlite3* db = nullptr;
    Statement creature;
    Statement step;

    ~Connection() { closeAll(); }

    int closeAll() {
        creature.reset();
        step.reset();
        return sqlite3_close(std::exchange(db, nullptr));
    }

    bool run(const std::string& sql) {
        return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    bool prepare(Statement& statement, const char* sql) {
        sqlite3_stmt* made = nullptr;
        const int result =
            sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &made, nullptr);
        statement.reset(made);
        return result == SQLITE_OK;
    }

    // Steps a statement that returns no rows and rewinds it for the next use.
    bool execute(sqlite3_stmt* statement) {
        const int result = sqlite3_step(statement);
        sqlite3_reset(statement);
        return result == SQLITE_DONE;
    }

    std::optional<long long> number(const std::string& sql) { return queryNumber(db, sql); }
};

RunRecord::RunRecord() = default;
RunRecord::~RunRecord() = default;

std::string RunRecord::fail(const std::string& reason) {
    if (error_.empty()) error_ = cannotWrite(path_, reason);
    return error_;
}

std::string RunRecord::inspectTarget(bool continuing) {
    const bool sideFiles = fileExists(target_ + "-journal") || fileExists(target_ + "-wal");
    struct stat info;
    if (stat(target_.c_str(), &info) != 0 || info.st_size == 0) {
        // Nothing to keep; a journal left beside the name is SQLite's to clear, so the record
        // goes through SQLite rather than a rename that would pair it with the new file.
        replaceThroughSqlite_ = sideFiles;
        return {};
    }
    Handle look;
    int result = look.open(target_, SQLITE_OPEN_READONLY, waitBeforeRunMs);
    if (result == SQLITE_OK) result = look.run("SELECT count(*) FROM sqlite_schema");
    if (result == SQLITE_NOTADB && !continuing && !sideFiles) return {};
    if (result == SQLITE_NOTADB) {
        return continuing
                   ? "cannot continue '" + printable(path_) + "': it is not a kanimo-sim record"
                   : fail("it is not an SQLite database, yet SQLite's journal lies "
                          "beside it");
    }
    if (std::string reason = lockedReason(result); !reason.empty()) return fail(reason);
    if (result != SQLITE_OK) return fail(look.message());
    const long long pageSize = queryNumber(look.db, "PRAGMA page_size").value_or(0);
    // A writer that has not committed yet holds a lock that a reader does not see: a write
    // transaction, taken and given back, tells. The copy is then a read, of what the last
    // commit left, whole.
    Handle source;
    result = source.open(target_, SQLITE_OPEN_READWRITE, waitBeforeRunMs);
    if (result == SQLITE_OK) result = source.run("BEGIN IMMEDIATE; ROLLBACK");
    if (result == SQLITE_OK && continuing) result = backUp(source.db, db_->db);
    if (std::string reason = lockedReason(result); !reason.empty()) return fail(reason);
    if (result != SQLITE_OK) return fail(source.message());
    if (!continuing && pageSize > 0) {
        // The same page size, which a record in WAL mode needs to be written over.
        db_->run("PRAGMA page_size = " + std::to_string(pageSize));
    }
    continuing_ = continuing;
    replaceThroughSqlite_ = true;
    return {};
}

std::string RunRecord::open(OutputFile& file, bool continuing) {
    path_ = file.path();
    target_ = file.target();
    continuing_ = false;
    replaceThroughSqlite_ = false;
    if (file.temporaryPath().empty()) return fail("a record must be a regular file");
    db_ = std::make_unique<Connection>();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(file.temporaryPath().c_str(), &db_->db, flags, nullptr) != SQLITE_OK) {
        return fail(db_->db != nullptr ? sqlite3_errmsg(db_->db) : "out of memory");
    }
    if (std::string problem = inspectTarget(continuing); !problem.empty()) return problem;
    if (continuing_) {
        const auto id = db_->number("PRAGMA application_id");
        const auto version = db_->number("PRAGMA user_version");
        if (!id || *id != applicationId) {
            return "cannot continue '" + printable(path_) + "': it is not a kanimo-sim record";
        }
        if (!version || *version != schemaVersion) {
            return "cannot continue '" + printable(path_) + "': a record of another version (" +
                   std::to_string(version.value_or(0)) + ")";
        }
    }
    // The temporary file is rebuilt from the run if anything goes wrong, so it needs no
    // journal and no syncing until the commit puts it in place.
    if (!db_->run("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                  "PRAGMA locking_mode = EXCLUSIVE; PRAGMA temp_store = MEMORY;") ||
        (!continuing_ && !db_->run(schema()))) {
        return fail(sqlite3_errmsg(db_->db));
    }
    if (!db_->prepare(db_->creature,
                      "INSERT OR REPLACE INTO creatures VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)") ||
        !db_->prepare(db_->step, "INSERT INTO steps VALUES (?,?,?,?,?,?,?,?,?,?,?,?)") ||
        !db_->run("BEGIN")) {
        return fail(sqlite3_errmsg(db_->db));
    }
    return {};
}

std::string RunRecord::checkContinues(const World& world, const RecordedRun& run) {
    std::string sql = "SELECT count(*) FROM runs WHERE id = 1 AND step_kind = ? AND "
                      "first_step + steps = ? AND (seed IS NULL OR ? IS NULL OR seed = ?)";
    for (const SettingField& f : settingFields()) sql += " AND " + std::string(f.column) + " = ?";
    Statement query;
    if (!db_->prepare(query, sql.c_str())) return fail(sqlite3_errmsg(db_->db));
    sqlite3_stmt* s = query.get();
    sqlite3_bind_text(s, 1, stepKindName(run.kind), -1, SQLITE_STATIC);
    sqlite3_bind_int64(s, 2, world.stepCount);
    if (run.seed) {
        sqlite3_bind_int64(s, 3, *run.seed);
        sqlite3_bind_int64(s, 4, *run.seed);
    }
    bindSettings(s, 5, world.settings);
    const bool sameRun = sqlite3_step(s) == SQLITE_ROW && sqlite3_column_int64(s, 0) == 1;

    long long living = 0;
    for (const Creature* c : world.creatures) living += c->energy > 0;
    const long long lastId = static_cast<long long>(world.nextCreatureId) - 1;
    const bool sameCreatures =
        db_->number("SELECT count(*) FROM creatures WHERE death_step IS NULL").value_or(-1) ==
            living &&
        db_->number("SELECT coalesce(max(id), 0) FROM creatures").value_or(lastId + 1) <= lastId;
    if (!sameRun || !sameCreatures) {
        return "cannot continue '" + printable(path_) +
               "': it does not record this run up to step " + std::to_string(world.stepCount);
    }
    firstStep_ = db_->number("SELECT first_step FROM runs WHERE id = 1").value_or(0);
    return {};
}

std::string RunRecord::begin(const World& world, const RecordedRun& run) {
    if (continuing_) return checkContinues(world, run);
    firstStep_ = world.stepCount;
    std::string sql = "INSERT INTO runs VALUES (1, ?, ?, ?, 0, ?";
    for (std::size_t i = 0; i < settingFields().size(); ++i) sql += ", ?";
    sql += ")";
    Statement insert;
    if (!db_->prepare(insert, sql.c_str())) return fail(sqlite3_errmsg(db_->db));
    sqlite3_stmt* s = insert.get();
    int column = 1;
    if (run.seed) {
        sqlite3_bind_int64(s, column++, *run.seed);
    } else {
        sqlite3_bind_null(s, column++);
    }
    sqlite3_bind_text(s, column++, stepKindName(run.kind), -1, SQLITE_STATIC);
    sqlite3_bind_int64(s, column++, firstStep_);
    sqlite3_bind_text(s, column++, KANIMO_VERSION, -1, SQLITE_STATIC);
    bindSettings(s, column, world.settings);
    if (!db_->execute(s)) return fail(sqlite3_errmsg(db_->db));
    return {};
}

void RunRecord::lifeEnded(const Creature& c) {
    if (!error_.empty()) return;
    const Lineage& l = c.lineage;
    long long kinds[4] = {0, 0, 0, 0};
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        const int kind = static_cast<int>(c.body.segments()[i].kind);
        if (kind >= 0 && kind < 4) ++kinds[kind];
    }
    const std::string genome = genomeText(c.genome);
    sqlite3_stmt* s = db_->creature.get();
    sqlite3_bind_int64(s, 1, static_cast<sqlite3_int64>(l.id));
    if (l.parentId == 0) {
        sqlite3_bind_null(s, 2);
    } else {
        sqlite3_bind_int64(s, 2, static_cast<sqlite3_int64>(l.parentId));
    }
    sqlite3_bind_int(s, 3, l.generation);
    sqlite3_bind_int(s, 4, l.mutated ? 1 : 0);
    sqlite3_bind_int64(s, 5, l.birthStep);
    if (l.deathCause == DeathCause::none) {
        sqlite3_bind_null(s, 6);
        sqlite3_bind_null(s, 7);
    } else {
        sqlite3_bind_int64(s, 6, l.deathStep);
        sqlite3_bind_text(s, 7, deathCauseName(l.deathCause), -1, SQLITE_STATIC);
    }
    sqlite3_bind_text(s, 8, genome.data(), static_cast<int>(genome.size()), SQLITE_STATIC);
    sqlite3_bind_int(s, 9, c.body.segmentCount());
    for (int k = 0; k < 4; ++k) sqlite3_bind_int64(s, 10 + k, kinds[k]);
    if (!db_->execute(s)) fail(sqlite3_errmsg(db_->db));
}

std::string RunRecord::addStep(long long step, const StepReport& report, const Census& census) {
    if (!error_.empty()) return error_;
    sqlite3_stmt* s = db_->step.get();
    const long long whole[] = {step,          census.length,
                               census.living, census.length - census.living,
                               report.births, report.deaths};
    int column = 1;
    for (long long v : whole) sqlite3_bind_int64(s, column++, v);
    if (census.living > 0) {
        sqlite3_bind_double(s, column++, census.meanSize);
        sqlite3_bind_double(s, column++, census.meanEnergy);
    } else {
        sqlite3_bind_null(s, column++);
        sqlite3_bind_null(s, column++);
    }
    for (int k = 0; k < 4; ++k) {
        if (census.livingSegments > 0) {
            sqlite3_bind_double(s, column++, census.kindShare[k]);
        } else {
            sqlite3_bind_null(s, column++);
        }
    }
    if (!db_->execute(s)) return fail(sqlite3_errmsg(db_->db));
    if (++stepsInBlock_ >= stepsPerCommit) {
        stepsInBlock_ = 0;
        if (!db_->run("COMMIT; BEGIN")) return fail(sqlite3_errmsg(db_->db));
    }
    return {};
}

std::string RunRecord::finish(const World& world) {
    for (const Creature* c = world.creatures.head(); c != nullptr && error_.empty(); c = c->next) {
        if (c->energy > 0) lifeEnded(*c);
    }
    if (!error_.empty()) return error_;
    const std::string steps = std::to_string(world.stepCount - firstStep_);
    if (!db_->run("UPDATE runs SET steps = " + steps + " WHERE id = 1; COMMIT; " +
                  "CREATE INDEX IF NOT EXISTS creatures_by_parent ON creatures (parent_id);")) {
        return fail(sqlite3_errmsg(db_->db));
    }
    return {};
}

std::string RunRecord::commit(OutputFile& file) {
    if (!error_.empty()) return error_;
    if (replaceThroughSqlite_) {
        // Written into the database at the path through SQLite: its readers, writers and
        // journal stay paired with the one file they belong to.
        Handle target;
        int result = target.open(target_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, waitAtEndMs);
        if (result == SQLITE_OK) result = backUp(db_->db, target.db);
        if (std::string reason = lockedReason(result); !reason.empty()) return fail(reason);
        if (result != SQLITE_OK) return fail(target.message());
        if (sqlite3_close(std::exchange(target.db, nullptr)) != SQLITE_OK) {
            return fail("the database could not be closed");
        }
    }
    if (db_->closeAll() != SQLITE_OK) return fail("the database could not be closed");
    db_.reset();
    if (!replaceThroughSqlite_) return file.commit();
    file.discard();
    return {};
}

void RunRecord::close() {
    db_.reset();
}

} // namespace kanimo
