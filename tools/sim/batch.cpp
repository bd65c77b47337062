#include "batch.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "bench_line.h"
#include "options.h"
#include "progress.h"
#include "stats_csv.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {

namespace {

using Clock = std::chrono::steady_clock;

// Seeds are handed out in blocks so that summaries can be printed while later worlds
// still run and memory stays bounded however long the range is.
constexpr std::uint64_t seedsPerThreadPerBlock = 64;

struct Worker {
    std::thread thread;
    std::atomic<std::uint64_t> stepsDone{0};
    std::atomic<bool> finished{false};
};

// Thread t of n takes the seeds t, t + n, t + 2n ... of the block, so that each writes
// only its own summaries and runs only its own worlds: the threads share nothing they
// change. Striding keeps the threads' loads even when seeds differ in cost.
void runBlock(const SimOptions& o, std::uint64_t blockStart, std::vector<SeedSummary>& results,
              int jobs, ProgressBar& bar, std::uint64_t& progressBase) {
    const std::uint64_t count = results.size();
    const int threads = static_cast<int>(std::min<std::uint64_t>(jobs, count));
    std::vector<std::unique_ptr<Worker>> workers;
    for (int t = 0; t < threads; ++t) {
        workers.push_back(std::make_unique<Worker>());
        Worker& w = *workers.back();
        w.thread = std::thread([&o, &results, &w, blockStart, t, threads, count] {
            for (std::uint64_t i = t; i < count; i += threads) {
                const auto seed = static_cast<std::uint32_t>(o.firstSeed + blockStart + i);
                results[i] = runSeed(seed, o.steps, o.fast, w.stepsDone, o.settings);
            }
            w.finished.store(true, std::memory_order_release);
        });
    }
    // Watch only when there is a bar to draw; otherwise simply wait.
    const bool watch = standardErrorIsTerminal();
    while (watch) {
        std::uint64_t done = progressBase;
        bool allFinished = true;
        for (const auto& w : workers) {
            done += w->stepsDone.load(std::memory_order_relaxed);
            allFinished = allFinished && w->finished.load(std::memory_order_acquire);
        }
        bar.update(done);
        if (allFinished) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (auto& w : workers) w->thread.join();
    progressBase += count * static_cast<std::uint64_t>(o.steps);
}

} // namespace

SeedSummary runSeed(std::uint32_t seed, int steps, bool fast, std::atomic<std::uint64_t>& stepsDone,
                    const WorldSettings& settings) {
    SeedSummary summary;
    summary.seed = seed;
    summary.steps = steps;
    World world(settings);
    world.rng.srand(seed);
    seedWorld(world);
    const Clock::time_point start = Clock::now();
    const StepKind kind = fast ? StepKind::fast : StepKind::world;
    for (long long k = 1; k <= steps; ++k) {
        const StepReport report = takeStep(world, kind);
        summary.births += report.births;
        summary.deaths += report.deaths;
        stepsDone.store(stepsDone.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    summary.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    summary.length = listLength(world);
    summary.living = takeCensus(world).living;
    return summary;
}

std::string formatSeedSummary(const SeedSummary& s) {
    const double perSecond = s.steps > 0 && s.seconds > 0 ? s.steps / s.seconds : 0.0;
    char line[160];
    std::snprintf(line, sizeof line,
                  "seed %u length %d living %d births %lld deaths %lld steps_per_second %.1f",
                  static_cast<unsigned>(s.seed), s.length, s.living, s.births, s.deaths, perSecond);
    return line;
}

int runSeedBatch(const SimOptions& o, std::FILE* out, std::FILE* err) {
    int jobs = o.jobs;
    if (jobs == 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::uint64_t seedCount = std::uint64_t{o.lastSeed} - o.firstSeed + 1;
    const std::uint64_t blockSize = seedsPerThreadPerBlock * static_cast<std::uint64_t>(jobs);

    ProgressBar bar(seedCount * static_cast<std::uint64_t>(o.steps), err,
                    standardErrorIsTerminal());
    std::uint64_t progressBase = 0;
    const Clock::time_point start = Clock::now();
    for (std::uint64_t blockStart = 0; blockStart < seedCount; blockStart += blockSize) {
        std::vector<SeedSummary> results(std::min(blockSize, seedCount - blockStart));
        runBlock(o, blockStart, results, jobs, bar, progressBase);
        bar.clear();
        for (const SeedSummary& s : results) {
            std::fputs(formatSeedSummary(s).c_str(), out);
            std::fputc('\n', out);
        }
        std::fflush(out);
    }
    bar.finish();
    if (o.bench) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::fputs(formatBenchLine(static_cast<double>(seedCount) * o.steps, seconds).c_str(), out);
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fputs("kanimo-sim: cannot write standard output\n", err);
        return 2;
    }
    return 0;
}

} // namespace kanimo
