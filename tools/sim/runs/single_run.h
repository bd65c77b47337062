#pragma once

#include <cstdio>

namespace kanimo {

struct SimOptions;

// Runs one world as the options ask, writing states, the bench line and messages to
// `out` and `err`, and the stats and pictures to their files. Without --seed the clock
// gives the seed, named on `err` once the outputs are known to be writable. Returns the
// exit status: 2 when an output cannot be created, 1 when writing fails later on. After a
// stop signal it returns early, having removed the files the run had not finished.
int runSingleWorld(const SimOptions& options, std::FILE* out, std::FILE* err);

} // namespace kanimo
