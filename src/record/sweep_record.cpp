#include "record/sweep_record.h"

#include <sqlite3.h>

#include <memory>
#include <utility>

#include "files/output_file.h"

namespace kanimo {

namespace {

struct Finalize {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

struct Database {
    sqlite3* db = nullptr;
    ~Database() { sqlite3_close(db); }

    bool run(const std::string& sql) {
        return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    Statement prepare(const std::string& sql) {
        sqlite3_stmt* made = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &made, nullptr);
        return Statement(made);
    }
};

struct Column {
    std::string name;
    std::string type;
    bool notNull = false;
};

// The columns of a table of the attached run, in order.
std::vector<Column> columnsOf(Database& d, const std::string& table) {
    std::vector<Column> columns;
    Statement s = d.prepare("PRAGMA run.table_info(" + table + ")");
    while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
        columns.push_back(Column{reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1)),
                                 reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 2)),
                                 sqlite3_column_int(s.get(), 3) != 0});
    }
    return columns;
}

std::string columnList(const std::vector<Column>& columns) {
    std::string list;
    for (const Column& c : columns) list += (list.empty() ? "" : ", ") + c.name;
    return list;
}

// The sweep's tables, made from the first record's: `run_id` before every row, keyed by the
// run and the row's own key; `runs` drops the record's own id (1 in every record) and keeps
// an error instead, with room for the runs that have no record.
std::string sweepSchema(Database& d) {
    std::string sql = "CREATE TABLE runs (run_id INTEGER PRIMARY KEY, error TEXT";
    for (const Column& c : columnsOf(d, "runs")) {
        if (c.name != "id") sql += ", " + c.name + " " + c.type;
    }
    sql += ");\n";
    for (const char* table : {"creatures", "steps"}) {
        const std::vector<Column> columns = columnsOf(d, table);
        if (columns.empty()) continue;
        sql += std::string("CREATE TABLE ") + table + " (run_id INTEGER NOT NULL";
        for (const Column& c : columns) {
            sql += ", " + c.name + " " + c.type + (c.notNull ? " NOT NULL" : "");
        }
        sql += ", PRIMARY KEY (run_id, " + columns.front().name + "));\n";
    }
    return sql + "CREATE INDEX creatures_by_parent ON creatures (run_id, parent_id);\n";
}

std::string copyRun(Database& d, const SweepRecordRun& run, bool& schemaMade) {
    // The run's bytes become the attached schema `run`, read in place.
    if (!d.run("ATTACH ':memory:' AS run")) return sqlite3_errmsg(d.db);
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(run.database.data()));
    const auto size = static_cast<sqlite3_int64>(run.database.size());
    if (sqlite3_deserialize(d.db, "run", bytes, size, size, SQLITE_DESERIALIZE_READONLY) !=
        SQLITE_OK) {
        return sqlite3_errmsg(d.db);
    }
    std::string problem;
    if (!schemaMade) {
        schemaMade = d.run(sweepSchema(d));
        if (!schemaMade) problem = sqlite3_errmsg(d.db);
    }
    const std::string id = std::to_string(run.runId);
    std::vector<Column> runColumns = columnsOf(d, "runs");
    std::erase_if(runColumns, [](const Column& c) { return c.name == "id"; });
    const std::string runs = columnList(runColumns);
    // A database can be let go only between transactions: one transaction a run.
    if (problem.empty() &&
        !d.run("BEGIN; INSERT INTO main.runs (run_id, " + runs + ") SELECT " + id + ", " + runs +
               " FROM run.runs;" + "INSERT INTO main.creatures SELECT " + id +
               ", * FROM run.creatures;" + "INSERT INTO main.steps SELECT " + id +
               ", * FROM run.steps; COMMIT")) {
        problem = sqlite3_errmsg(d.db);
        d.run("ROLLBACK");
    }
    if (!d.run("DETACH run") && problem.empty()) problem = sqlite3_errmsg(d.db);
    return problem;
}

} // namespace

std::string writeSweepRecord(const std::string& path, const std::vector<SweepRecordRun>& runs) {
    OutputFile file;
    if (std::string problem = file.open(path); !problem.empty()) return problem;
    if (file.temporaryPath().empty()) return cannotWrite(path, "a record must be a regular file");
    std::string problem;
    {
        Database d;
        const auto fail = [&](const std::string& reason) {
            if (problem.empty()) problem = cannotWrite(path, reason);
        };
        if (sqlite3_open(file.temporaryPath().c_str(), &d.db) != SQLITE_OK) {
            fail(d.db != nullptr ? sqlite3_errmsg(d.db) : "out of memory");
        } else if (!d.run("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF")) {
            fail(sqlite3_errmsg(d.db));
        }
        bool schemaMade = false;
        for (const SweepRecordRun& run : runs) {
            if (!problem.empty() || run.database.empty()) continue;
            if (std::string reason = copyRun(d, run, schemaMade); !reason.empty()) {
                fail("run " + std::to_string(run.runId) + ": " + reason);
            }
        }
        if (problem.empty() && !schemaMade &&
            !d.run("CREATE TABLE runs (run_id INTEGER PRIMARY KEY, error TEXT, seed INTEGER)")) {
            fail(sqlite3_errmsg(d.db));
        }
        if (problem.empty() && !d.run("BEGIN")) fail(sqlite3_errmsg(d.db));
        Statement failed = d.prepare("INSERT INTO runs (run_id, error, seed) VALUES (?, ?, ?)");
        for (const SweepRecordRun& run : runs) {
            if (!problem.empty() || !run.database.empty()) continue;
            sqlite3_bind_int64(failed.get(), 1, run.runId);
            sqlite3_bind_text(failed.get(), 2, run.error.c_str(), -1, SQLITE_TRANSIENT);
            if (run.seed) {
                sqlite3_bind_int64(failed.get(), 3, *run.seed);
            } else {
                sqlite3_bind_null(failed.get(), 3);
            }
            if (sqlite3_step(failed.get()) != SQLITE_DONE) fail(sqlite3_errmsg(d.db));
            sqlite3_reset(failed.get());
        }
        failed.reset();
        if (problem.empty() && !d.run("COMMIT")) fail(sqlite3_errmsg(d.db));
        if (sqlite3_close(std::exchange(d.db, nullptr)) != SQLITE_OK) {
            fail("the database could not be closed");
        }
    }
    if (!problem.empty()) return problem;
    return file.commit();
}

} // namespace kanimo
