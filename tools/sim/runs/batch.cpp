#include "runs/batch.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "options/options.h"
#include "outputs/bench_line.h"
#include "outputs/progress.h"
#include "outputs/stop_signal.h"
#include "report/seed_summary.h"
#include "runs/single_run.h"

namespace kanimo {

namespace {

using Clock = std::chrono::steady_clock;

// Seeds are handed out in blocks so that summaries can be printed while later worlds
// still run and memory stays bounded however long the range is.
constexpr std::uint64_t seedsPerThreadPerBlock = 64;

// How often the main thread looks for finished worlds, signals and progress.
constexpr std::chrono::milliseconds pollInterval{50};

struct Worker {
    std::thread thread;
    std::atomic<std::uint64_t> stepsDone{0};
    std::atomic<std::uint64_t> seedsDone{0}; // this worker's seeds of the block, in order
    std::atomic<bool> finished{false};
    // Why the worker gave up, written before `finished`. A plain buffer: copying the
    // reason must not need the memory that may have run out.
    char failure[256] = "";
};

// The threads of one block. However the block ends, even by an exception, they are told
// to stop and joined before the results and options they use go away.
struct Crew {
    std::vector<std::unique_ptr<Worker>> workers;
    std::atomic<bool> stop{false};

    Crew() = default;
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;
    ~Crew() {
        stop.store(true);
        joinAll();
    }
    void joinAll() {
        for (auto& w : workers) {
            if (w->thread.joinable()) w->thread.join();
        }
    }
};

// Runs worker w's seeds of the block, keeping the first failure instead of letting an
// exception escape the thread.
void runWorkerSeeds(const SimOptions& o, std::uint64_t blockStart, int t, int threads,
                    std::vector<SeedSummary>& results, Worker& w, Crew& crew) {
    try {
        for (std::uint64_t i = t; i < results.size(); i += threads) {
            const auto seed = static_cast<std::uint32_t>(o.firstSeed + blockStart + i);
            const std::optional<SeedSummary> summary =
                runSeed(seed, o.steps, o.fast, w.stepsDone, crew.stop, o.settings, nullptr,
                        o.populationLimit);
            if (!summary) break;
            results[i] = *summary;
            w.seedsDone.fetch_add(1, std::memory_order_release);
        }
    } catch (const SeedExploded& e) {
        const std::string line = "seed " + std::to_string(e.seed) + ": " +
                                 explosionLine(o.populationLimit, e.step == 0 ? -1 : e.step);
        std::snprintf(w.failure, sizeof w.failure, "%s", line.c_str());
        crew.stop.store(true);
    } catch (const std::bad_alloc&) {
        std::snprintf(w.failure, sizeof w.failure, "out of memory");
        crew.stop.store(true);
    } catch (const std::exception& e) {
        std::snprintf(w.failure, sizeof w.failure, "%s", e.what());
        crew.stop.store(true);
    }
    w.finished.store(true, std::memory_order_release);
}

// Thread t of n takes the seeds t, t + n, t + 2n ... of the block, so that each writes
// only its own summaries and runs only its own worlds: the threads share nothing they
// change. Striding keeps the threads' loads even when seeds differ in cost. The main
// thread prints the summaries in seed order as they become ready, so a failed write
// shows on the first line. Returns a one-line failure, or an empty string.
std::string runBlock(const SimOptions& o, std::uint64_t blockStart,
                     std::vector<SeedSummary>& results, int jobs, std::FILE* out, ProgressBar& bar,
                     std::uint64_t& progressBase) {
    const std::uint64_t count = results.size();
    const int threads = static_cast<int>(std::min<std::uint64_t>(jobs, count));
    std::string problem;
    Crew crew;
    for (int t = 0; t < threads; ++t) {
        crew.workers.push_back(std::make_unique<Worker>());
        Worker& w = *crew.workers.back();
        try {
            w.thread = std::thread(runWorkerSeeds, std::cref(o), blockStart, t, threads,
                                   std::ref(results), std::ref(w), std::ref(crew));
        } catch (const std::system_error& e) {
            problem = "cannot start a thread: " + e.code().message();
            crew.stop.store(true);
            crew.workers.pop_back();
            break;
        }
    }

    std::uint64_t printed = 0;
    const auto ready = [&](std::uint64_t i) {
        const Worker& w = *crew.workers[i % threads];
        return w.seedsDone.load(std::memory_order_acquire) > i / threads;
    };
    for (;;) {
        if (stopSignal() != 0) crew.stop.store(true);
        std::uint64_t done = progressBase;
        bool allFinished = true;
        for (const auto& w : crew.workers) {
            done += w->stepsDone.load(std::memory_order_relaxed);
            allFinished = allFinished && w->finished.load(std::memory_order_acquire);
        }
        if (problem.empty() && printed < count && ready(printed)) {
            bar.clear();
            for (; printed < count && ready(printed); ++printed) {
                std::fputs(formatSeedSummary(results[printed]).c_str(), out);
                std::fputc('\n', out);
            }
            errno = 0;
            if (std::fflush(out) != 0 || std::ferror(out)) {
                problem = std::string("cannot write standard output: ") +
                          std::strerror(errno != 0 ? errno : EIO);
                crew.stop.store(true);
            }
        }
        bar.update(done);
        if (allFinished) break;
        std::this_thread::sleep_for(pollInterval);
    }
    crew.joinAll();
    for (const auto& w : crew.workers) {
        if (problem.empty() && w->failure[0] != '\0') problem = w->failure;
    }
    progressBase += count * static_cast<std::uint64_t>(o.steps);
    return problem;
}

} // namespace

int runSeedBatch(const SimOptions& o, std::FILE* out, std::FILE* err) {
    int jobs = o.jobs;
    if (jobs == 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::uint64_t seedCount = std::uint64_t{o.lastSeed} - o.firstSeed + 1;
    const std::uint64_t blockSize = seedsPerThreadPerBlock * static_cast<std::uint64_t>(jobs);

    ProgressBar bar(seedCount * static_cast<std::uint64_t>(o.steps), err,
                    !o.quiet && standardErrorIsTerminal());
    std::uint64_t progressBase = 0;
    const Clock::time_point start = Clock::now();
    for (std::uint64_t blockStart = 0; blockStart < seedCount; blockStart += blockSize) {
        std::vector<SeedSummary> results(std::min(blockSize, seedCount - blockStart));
        const std::string problem = runBlock(o, blockStart, results, jobs, out, bar, progressBase);
        if (!problem.empty()) {
            bar.finish();
            reportFailure(err, problem);
            return 1;
        }
        if (stopSignal() != 0) return 1;
    }
    bar.finish();
    if (o.bench) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::fputs(formatBenchLine(static_cast<double>(seedCount) * o.steps, seconds).c_str(), out);
    }
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        reportFailure(err, std::string("cannot write standard output: ") +
                               std::strerror(errno != 0 ? errno : EIO));
        return 1;
    }
    return 0;
}

} // namespace kanimo
