#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace kanimo {

struct SimOptions;

// What a run did, for the line that closes a run whose outputs are all files.
struct RunTotals {
    long long steps = 0;
    long long lastStep = 0;
    long long living = 0; // after the last step
    long long dead = 0;
    long long births = 0; // over the steps run, the seeding not counted
    long long deaths = 0;
    std::optional<std::uint32_t> seed; // unknown for some loaded worlds
};

// "kanimo-sim: ran 3000 steps to step 3000: 46 living, 98 dead; 1593 births, 1504 deaths;
// seed 7", without a newline.
std::string summaryLine(const RunTotals& totals);

// "the world exploded: its population passed <limit> creatures in step <step> ..." for a
// run stopped by its population limit; a step of -1 is the seeding.
std::string explosionLine(long long limit, long long step);

// Runs one world as the options ask, writing states, the bench line and messages to
// `out` and `err`, and the stats and pictures to their files. Without --seed the clock
// gives the seed, named on `err` once the outputs are known to be writable. Returns the
// exit status: 2 when an output cannot be created, 1 when writing fails later on. After a
// stop signal it returns early, having removed the files the run had not finished. Unless
// --quiet, a run that prints nothing on `out` ends with its summary line on `err`.
int runSingleWorld(const SimOptions& options, std::FILE* out, std::FILE* err);

} // namespace kanimo
