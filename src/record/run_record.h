#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "creature/lineage.h"
#include "world/step.h"

namespace kanimo {

struct Census;
struct Creature;
struct World;
class OutputFile;

// What the record says of the run beside its world's settings.
struct RecordedRun {
    std::optional<std::uint32_t> seed; // none for a world whose seed is not known
    StepKind kind = StepKind::world;
};

// The --record database, an SQLite file with three tables: `runs` (one row: the seed,
// the step kind, the first step and the number of steps recorded, the program's version
// and every tuning value), `creatures` (one row per creature: its lineage, its genome as
// text and the segments of its body by kind) and `steps` (the columns of --stats).
//
// A creature's row is written when its life ends, and the living get theirs at the end;
// rows are keyed by the creature's id, so a record that a later run continues replaces a
// survivor's row once that creature dies. Rows go in one transaction per block of steps
// through statements prepared once, into the temporary file of an OutputFile, built with
// no journal and no syncing: a record that is not finished is removed, never read.
//
// A database already at the path is SQLite's business to the end: it is read (to be
// continued) and written over (at the commit) through SQLite's own locks and journal, in
// one transaction each, never copied or replaced as a file, so that no other program's
// reader, uncommitted write, journal or WAL is paired with bytes it does not belong to.
// One that another program is writing to, or that has a hot journal (a writer stopped
// half-way), is refused before the run. A new record, or one over a file that is not a
// database, is renamed into place as every output is.
class RunRecord {
  public:
    RunRecord();
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    // Makes the database in `file`'s temporary file, empty or, with `continuing`, as a
    // copy of the record already at the file's target, when there is one. Returns an empty
    // string or one line.
    std::string open(OutputFile& file, bool continuing);

    // Once the world is seeded or loaded. A new record notes the run, starting at the
    // world's step; a continued one must hold this very run up to that step.
    std::string begin(const World& world, const RecordedRun& run);

    // A creature's life ended: its row, final unless a later run replaces it.
    void lifeEnded(const Creature& creature);

    // The row of step k. Reports a failure of this or of any earlier write.
    std::string addStep(long long step, const StepReport& report, const Census& census);

    // The rows of the creatures still alive, the number of steps, the last commit.
    std::string finish(const World& world);

    // After finish: puts the record at `file`'s target and closes `file`.
    std::string commit(OutputFile& file);

    // Closes the database without finishing it; the caller discards the file.
    void close();

  private:
    struct Connection;

    std::string fail(const std::string& reason);
    std::string checkContinues(const World& world, const RecordedRun& run);
    std::string inspectTarget(bool continuing);

    std::unique_ptr<Connection> db_;
    std::string path_;   // for messages
    std::string target_; // the file the record ends up in
    bool replaceThroughSqlite_ = false;
    std::string error_;
    bool continuing_ = false;
    long long firstStep_ = 0;
    long long stepsInBlock_ = 0;
};

} // namespace kanimo
