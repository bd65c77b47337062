#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kanimo {

// One run of a sweep, as its record came back from wherever it ran.
struct SweepRecordRun {
    std::int64_t runId = 0;
    std::optional<std::uint32_t> seed;
    std::string database; // the run's --record database as bytes; empty for a failed run
    std::string error;    // why the run failed; empty for one that finished
};

// Writes the records of a sweep's runs into one SQLite database at `path`, whole or not at
// all: the tables of a --record database, each row with the `run_id` of its run beside it,
// `runs` one row a run with its `error` (NULL for a run that finished). Returns an empty
// string, or one line saying why the file could not be written.
std::string writeSweepRecord(const std::string& path, const std::vector<SweepRecordRun>& runs);

} // namespace kanimo
