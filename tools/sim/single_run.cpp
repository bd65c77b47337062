#include "single_run.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "bench_line.h"
#include "options.h"
#include "output_paths.h"
#include "progress.h"
#include "render/frame.h"
#include "render/picture.h"
#include "render/png_writer.h"
#include "state_dump.h"
#include "stats_csv.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {

namespace {

using Clock = std::chrono::steady_clock;

// Text is gathered and handed to stdio in large pieces: a traced step of a big world is
// a few hundred lines, and per-line writes would cost more than the step itself.
constexpr std::size_t flushThreshold = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Where the run's output goes, and the state that writing it needs.
class RunOutput {
  public:
    RunOutput(const SimOptions& options, std::FILE* out, std::FILE* err)
        : options_(options), out_(out), err_(err) {}

    // Opens files and checks paths; false after reporting the first problem.
    bool open() {
        std::string problem;
        if (!options_.pngPath.empty()) problem = checkWritableFile(options_.pngPath);
        if (problem.empty() && !options_.framesDir.empty()) {
            problem = checkWritableDirectory(options_.framesDir);
        }
        if (!problem.empty()) return fail(problem);
        if (!options_.statsPath.empty()) {
            stats_.reset(std::fopen(options_.statsPath.c_str(), "w"));
            if (!stats_) return fail(cannotOpen(options_.statsPath));
            statsText_ = statsHeader();
        }
        if (!options_.pngPath.empty() || !options_.framesDir.empty()) {
            // The whole world, 0 to its side on both axes.
            const int side = options_.settings.worldSize + 1;
            picture_.setSize(side, side);
        }
        return true;
    }

    // Everything that happens after step k (0: right after seeding).
    bool afterStep(const World& world, int k, const StepReport& report) {
        if (options_.trace) dump_.append(text_, world, k);
        if (stats_) appendStatsRow(statsText_, k, report, takeCensus(world));
        if (!options_.framesDir.empty() && k % options_.every == 0) {
            if (!writeFrame(world, framePath(options_.framesDir, k))) return false;
        }
        return flush(false);
    }

    // `lastLine` (possibly empty) is written after everything else.
    bool atEnd(const World& world, int lastStep, const std::string& lastLine) {
        if (options_.dump && !options_.trace) dump_.append(text_, world, lastStep);
        if (!options_.pngPath.empty() && !writeFrame(world, options_.pngPath)) return false;
        text_ += lastLine;
        if (!flush(true)) return false;
        if (stats_ && std::fclose(stats_.release()) != 0) {
            return fail(cannotOpen(options_.statsPath));
        }
        return true;
    }

  private:
    bool fail(const std::string& problem) {
        std::fprintf(err_, "kanimo-sim: %s\n", problem.c_str());
        return false;
    }

    static std::string cannotOpen(const std::string& path) {
        return "cannot write '" + path + "': " + std::strerror(errno);
    }

    bool writeFrame(const World& world, const std::string& path) {
        composeFrame(picture_, world, options_.plain);
        std::string error;
        if (!writePng(picture_, path, error)) return fail(error);
        return true;
    }

    bool flush(bool always) {
        if (always || text_.size() >= flushThreshold) {
            std::fwrite(text_.data(), 1, text_.size(), out_);
            text_.clear();
            if (always && std::fflush(out_) != 0) return fail("cannot write standard output");
            if (std::ferror(out_)) return fail("cannot write standard output");
        }
        if (stats_ && (always || statsText_.size() >= flushThreshold)) {
            std::fwrite(statsText_.data(), 1, statsText_.size(), stats_.get());
            statsText_.clear();
            if (std::ferror(stats_.get())) return fail(cannotOpen(options_.statsPath));
        }
        return true;
    }

    const SimOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    FileHandle stats_;
    std::string text_;
    std::string statsText_;
    StateDump dump_;
    Picture picture_;
};

} // namespace

int runSingleWorld(const SimOptions& o, std::uint32_t seed, std::FILE* out, std::FILE* err) {
    RunOutput output(o, out, err);
    if (!output.open()) return 2;

    World world(o.settings);
    world.rng.srand(seed);
    seedWorld(world);
    StepReport seeded;
    seeded.births = listLength(world);
    if (!output.afterStep(world, 0, seeded)) return 2;

    ProgressBar bar(static_cast<std::uint64_t>(o.steps), err, standardErrorIsTerminal());
    const Clock::time_point start = Clock::now();
    const StepKind kind = o.fast ? StepKind::fast : StepKind::world;
    for (long long k = 1; k <= o.steps; ++k) {
        const StepReport report = takeStep(world, kind);
        if (!output.afterStep(world, k, report)) return 2;
        bar.update(static_cast<std::uint64_t>(k));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bar.finish();

    std::string benchLine;
    if (o.bench) benchLine = formatBenchLine(static_cast<double>(o.steps), seconds);
    if (!output.atEnd(world, o.steps, benchLine)) return 2;
    return 0;
}

} // namespace kanimo
