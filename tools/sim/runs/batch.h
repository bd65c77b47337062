#pragma once

#include <cstdio>

#include "report/seed_summary.h"

namespace kanimo {

struct SimOptions;

// Runs the worlds of --seeds side by side and prints their summaries in seed order, each
// as soon as it and those before it are done. Returns the exit status: 1 when a write,
// a thread or memory fails. After a stop signal it returns early, the summaries of the
// worlds that finished printed.
int runSeedBatch(const SimOptions& options, std::FILE* out, std::FILE* err);

} // namespace kanimo
