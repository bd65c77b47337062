#include "single_run.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>

#include "bench_line.h"
#include "lineage_outputs.h"
#include "options.h"
#include "output_file.h"
#include "output_paths.h"
#include "progress.h"
#include "render/frame.h"
#include "render/picture.h"
#include "render/png_writer.h"
#include "state_dump.h"
#include "stats_csv.h"
#include "stop_signal.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {

namespace {

using Clock = std::chrono::steady_clock;

// Text is gathered and handed to stdio in large pieces: a traced step of a big world is
// a few hundred lines, and per-line writes would cost more than the step itself.
constexpr std::size_t flushThreshold = 1 << 16;

// Where the run's output goes, and the state that writing it needs. Files are made
// whole or not at all (OutputFile); a failure returns false after reporting itself.
class RunOutput {
  public:
    RunOutput(const SimOptions& options, std::FILE* out, std::FILE* err)
        : options_(options), out_(out), err_(err), lineage_(options) {}

    // Creates every file the run will write, the first frame included, so that a path
    // that cannot be written stops the run before its first step.
    bool open() {
        if (!options_.statsPath.empty() && !open(stats_, options_.statsPath)) return false;
        if (!options_.pngPath.empty() && !open(png_, options_.pngPath)) return false;
        if (!options_.framesDir.empty() && !open(frame_, framePath(options_.framesDir, 0))) {
            return false;
        }
        if (const std::string problem = lineage_.open(false); !problem.empty()) {
            return fail(problem);
        }
        if (stats_.isOpen()) statsText_ = statsHeader();
        if (png_.isOpen() || frame_.isOpen()) picture_.setSize(601, 601);
        return true;
    }

    // What the step and the seeding must tell, null when no output follows lives.
    StepObserver* observer() { return lineage_.observer(); }

    // Once the world is seeded or loaded.
    bool begin(const World& world, const RecordedRun& run) {
        const std::string problem = lineage_.begin(world, run);
        return problem.empty() || fail(problem);
    }

    // Everything that happens after step k (0: right after seeding).
    bool afterStep(const World& world, int k, const StepReport& report) {
        if (const std::string problem = lineage_.afterStep(world, k, report); !problem.empty()) {
            return fail(problem);
        }
        if (options_.trace) dump_.append(text_, world, k);
        if (stats_.isOpen()) appendStatsRow(statsText_, k, report, takeCensus(world));
        if (!options_.framesDir.empty() && k % options_.every == 0) {
            if (!frame_.isOpen() && !open(frame_, framePath(options_.framesDir, k))) return false;
            if (!writeFrame(world, frame_)) return false;
        }
        return flush(false);
    }

    // `lastLine` (possibly empty) is written after everything else. The files are
    // committed last, only once everything else has worked.
    bool atEnd(const World& world, int lastStep, const std::string& lastLine) {
        if (options_.dump && !options_.trace) dump_.append(text_, world, lastStep);
        if (png_.isOpen() && !writePicture(world, png_)) return false;
        if (const std::string problem = lineage_.finish(world); !problem.empty()) {
            return fail(problem);
        }
        text_ += lastLine;
        if (!flush(true)) return false;
        if (!commit(stats_) || !commit(png_)) return false;
        const std::string problem = lineage_.commit();
        return problem.empty() || fail(problem);
    }

    // After a signal: the steps traced so far go out whole, and files that would only
    // cover part of the run are removed, leaving whatever was there before.
    void interrupt() {
        std::fwrite(text_.data(), 1, text_.size(), out_);
        std::fflush(out_);
        stats_.discard();
        png_.discard();
        frame_.discard();
        lineage_.discard();
    }

  private:
    bool fail(const std::string& problem) {
        reportFailure(err_, problem);
        return false;
    }

    bool open(OutputFile& file, const std::string& path) {
        const std::string problem = file.open(path);
        return problem.empty() || fail(problem);
    }

    bool commit(OutputFile& file) {
        if (!file.isOpen()) return true;
        const std::string problem = file.commit();
        return problem.empty() || fail(problem);
    }

    bool writePicture(const World& world, OutputFile& file) {
        composeFrame(picture_, world, options_.plain);
        std::string reason;
        if (!writePng(picture_, file.stream(), reason))
            return fail(cannotWrite(file.path(), reason));
        return true;
    }

    bool writeFrame(const World& world, OutputFile& file) {
        return writePicture(world, file) && commit(file);
    }

    bool flush(bool always) {
        if (always || text_.size() >= flushThreshold) {
            errno = 0;
            const bool written = std::fwrite(text_.data(), 1, text_.size(), out_) == text_.size();
            text_.clear();
            if (!written || (always && std::fflush(out_) != 0)) {
                return fail(std::string("cannot write standard output: ") +
                            std::strerror(errno != 0 ? errno : EIO));
            }
        }
        if (stats_.isOpen() && (always || statsText_.size() >= flushThreshold)) {
            const std::string problem = stats_.write(statsText_);
            statsText_.clear();
            if (!problem.empty()) return fail(problem);
        }
        return true;
    }

    const SimOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    OutputFile stats_;
    OutputFile png_;
    OutputFile frame_; // the next frame to write, created ahead for step 0
    std::string text_;
    std::string statsText_;
    StateDump dump_;
    Picture picture_;
    LineageOutputs lineage_;
};

} // namespace

int runSingleWorld(const SimOptions& o, std::FILE* out, std::FILE* err) {
    RunOutput output(o, out, err);
    if (!output.open()) return 2;

    std::uint32_t seed = o.seed;
    if (!o.seedGiven) {
        // Like the window program, the clock in whole seconds, cut to 32 bits; said aloud,
        // once everything else is known to be in order, so that the run can be repeated.
        seed = static_cast<std::uint32_t>(std::time(nullptr));
        std::fprintf(err, "kanimo-sim: seed %u\n", static_cast<unsigned>(seed));
    }

    World world;
    world.rng.srand(seed);
    seedWorld(world, output.observer());
    if (!output.begin(world, RecordedRun{seed, o.fast ? StepKind::fast : StepKind::world})) {
        return 2;
    }
    StepReport seeded;
    seeded.births = listLength(world);
    if (!output.afterStep(world, 0, seeded)) return 1;

    ProgressBar bar(static_cast<std::uint64_t>(o.steps), err, standardErrorIsTerminal());
    const Clock::time_point start = Clock::now();
    const StepKind kind = o.fast ? StepKind::fast : StepKind::world;
    for (long long k = 1; k <= o.steps && stopSignal() == 0; ++k) {
        const StepReport report = takeStep(world, kind, output.observer());
        if (!output.afterStep(world, k, report)) return 1;
        bar.update(static_cast<std::uint64_t>(k));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bar.finish();
    if (stopSignal() != 0) {
        output.interrupt();
        return 1;
    }

    std::string benchLine;
    if (o.bench) benchLine = formatBenchLine(static_cast<double>(o.steps), seconds);
    if (!output.atEnd(world, o.steps, benchLine)) return 1;
    return 0;
}

} // namespace kanimo
