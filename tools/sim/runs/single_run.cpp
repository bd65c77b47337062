#include "runs/single_run.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/world_options.h"
#include "files/output_file.h"
#include "files/printable.h"
#include "options/options.h"
#include "options/output_paths.h"
#include "outputs/bench_line.h"
#include "outputs/progress.h"
#include "outputs/stop_signal.h"
#include "record/lineage_outputs.h"
#include "render/frame.h"
#include "render/picture.h"
#include "render/png_writer.h"
#include "report/resume.h"
#include "report/state_dump.h"
#include "report/stats_csv.h"
#include "runs/step_checkpoint.h"
#include "video/video_writer.h"
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
    // `firstStep`: the number of the state the run starts from, 0 unless it was loaded.
    RunOutput(const SimOptions& options, long long firstStep, std::FILE* out, std::FILE* err)
        : options_(options), firstStep_(firstStep), out_(out), err_(err), lineage_(options),
          kind_(options.fast ? StepKind::fast : StepKind::world) {
        // A saved world carries the family of its living on to the run that goes on from it.
        if (!options_.savePath.empty()) lineage_.keepAncestry();
    }

    // Creates every file the run will write, the first frame included, so that a path
    // that cannot be written stops the run before its first step.
    bool open(int worldSize) {
        if (!options_.statsPath.empty() && !open(stats_, options_.statsPath)) return false;
        if (!options_.pngPath.empty() && !open(png_, options_.pngPath)) return false;
        if (!options_.framesDir.empty() &&
            (!makeFramesFolder() ||
             !open(frame_, framePath(options_.framesDir, firstFrameStep())))) {
            return false;
        }
        if (!options_.savePath.empty() && !open(save_, options_.savePath)) return false;
        // A run that goes on from a loaded world goes on with the record of its start too.
        if (const std::string problem = lineage_.open(loaded()); !problem.empty()) {
            return fail(problem);
        }
        if (stats_.isOpen()) statsText_ = statsHeader();
        // The whole world, 0 to its side on both axes.
        const int side = worldSize + 1;
        if (drawsPictures(options_)) picture_.setSize(side, side);
        return options_.videoPath.empty() || openVideo(side);
    }

    // What the step and the seeding must tell, null when no output follows lives.
    StepObserver* observer() { return lineage_.observer(); }

    // Once the world is seeded or loaded. A loaded world brings the family of its living
    // when the run that saved it kept one.
    bool begin(const World& world, const RecordedRun& run, const std::string* ancestry) {
        seed_ = run.seed;
        if (ancestry != nullptr) {
            if (const std::string problem = lineage_.ancestry().deserialize(*ancestry);
                !problem.empty()) {
                return fail("cannot load '" + printable(options_.loadPath) + "': " + problem);
            }
        } else if (loaded()) {
            lineage_.ancestry().adoptLiving(world);
        }
        const std::string problem = lineage_.begin(world, run);
        return problem.empty() || fail(problem);
    }

    // Everything that happens after step k (0: right after seeding).
    bool afterStep(const World& world, long long k, const StepReport& report) {
        const Census census =
            stats_.isOpen() || lineage_.needsCensus() ? takeCensus(world) : Census{};
        // The step a loaded world was saved at is in the record of the run that saved it.
        if (!loaded() || k > firstStep_) {
            if (const std::string problem = lineage_.afterStep(k, report, census);
                !problem.empty()) {
                return fail(problem);
            }
        }
        if (options_.trace) dump_.append(text_, world, k);
        if (stats_.isOpen()) appendStatsRow(statsText_, k, report, census);
        if ((!options_.framesDir.empty() || video_.isOpen()) && k % options_.every == 0) {
            composeFrame(picture_, world, options_.plain);
            if (!options_.framesDir.empty()) {
                if (!frame_.isOpen() && !open(frame_, framePath(options_.framesDir, k))) {
                    return false;
                }
                if (!writePicture(frame_) || !commit(frame_)) return false;
            }
            if (video_.isOpen()) {
                if (const std::string problem = video_.addFrame(picture_); !problem.empty()) {
                    return fail(problem);
                }
            }
        }
        return flush(false);
    }

    // `lastLine` (possibly empty) is written after everything else. The files are
    // committed last, only once everything else has worked.
    bool atEnd(const World& world, long long lastStep, const StepReport& report,
               const std::string& lastLine) {
        if (options_.dump && !options_.trace) dump_.append(text_, world, lastStep);
        if (png_.isOpen()) {
            composeFrame(picture_, world, options_.plain);
            if (!writePicture(png_)) return false;
        }
        if (video_.isOpen()) {
            if (const std::string problem = video_.finish(); !problem.empty()) return fail(problem);
        }
        if (!writeSave(world, report)) return false;
        if (const std::string problem = lineage_.finish(world); !problem.empty()) {
            return fail(problem);
        }
        text_ += lastLine;
        if (!flush(true)) return false;
        if (!commit(stats_) || !commit(png_) || !commit(videoFile_) || !commit(save_)) {
            return false;
        }
        const std::string problem = lineage_.commit();
        return problem.empty() || fail(problem);
    }

    // After every whole step k, once afterStep has taken it in: with --save, a copy of the
    // world now and then, for a step that is stopped part-way.
    void keepCheckpoint(const World& world, long long k, const StepReport& report) {
        if (!save_.isOpen() || !checkpoint_.stepFinished()) return;
        const StepCheckpoint::Clock::time_point start = StepCheckpoint::Clock::now();
        std::string bytes = saveBytes(world, report);
        checkpoint_.keep(std::move(bytes), k, StepCheckpoint::Clock::now() - start);
    }

    // After a signal: the steps traced so far go out whole, files that would only cover
    // part of the run are removed, leaving whatever was there before, and the world is
    // saved as it is after the last step that finished, so that the run can go on from
    // there. `world` is that world, or null when the signal stopped a step part-way
    // (`lastStep` is then the last whole step, -1 when the seeding did not finish): the
    // steps since the last copy are run again. A failure to save is said even then.
    void interrupt(const World* world, long long lastStep, const StepReport& report) {
        std::fwrite(text_.data(), 1, text_.size(), out_);
        std::fflush(out_);
        stats_.discard();
        png_.discard();
        frame_.discard();
        video_.close();
        videoFile_.discard();
        lineage_.discard();
        if (!save_.isOpen()) return;
        std::string bytes;
        std::string problem;
        if (world != nullptr) {
            bytes = saveBytes(*world, report);
        } else if (lastStep < 0) {
            problem = "the run was stopped while seeding, before its first state";
        } else {
            problem = checkpoint_.replay(lastStep, kind_, bytes);
        }
        if (problem.empty()) problem = save_.write(bytes);
        if (problem.empty()) {
            problem = save_.commit();
        } else if (problem.rfind("cannot write", 0) != 0) {
            problem = "not saved to '" + printable(options_.savePath) + "': " + problem;
        }
        if (!problem.empty()) std::fprintf(err_, "kanimo-sim: %s\n", problem.c_str());
    }

  private:
    bool loaded() const { return !options_.loadPath.empty(); }

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

    // Like mkdir -p: the folder and its parents, when missing. A file in its place is
    // refused, and a folder that cannot be made is said in the usual words.
    bool makeFramesFolder() {
        const std::string& dir = options_.framesDir;
        std::error_code error;
        if (std::filesystem::is_directory(dir, error)) return true;
        if (std::filesystem::exists(dir, error)) {
            return fail(cannotWrite(dir, std::strerror(ENOTDIR)));
        }
        std::filesystem::create_directories(dir, error);
        if (error) return fail(cannotWrite(dir, error.message()));
        return true;
    }

    bool openVideo(int side) {
        VideoFrameSize size;
        std::string reason;
        if (!videoFrameSize(side, side, options_.videoSize, size, reason)) {
            return fail(cannotWrite(options_.videoPath, reason));
        }
        if (!open(videoFile_, options_.videoPath)) return false;
        const std::string problem = video_.open(videoFile_, side, side, size, options_.fps);
        return problem.empty() || fail(problem);
    }

    // The picture as last composed.
    bool writePicture(OutputFile& file) {
        std::string reason;
        if (!writePng(picture_, file.stream(), reason))
            return fail(cannotWrite(file.path(), reason));
        return true;
    }

    // The world and, beside it, what the run keeps for a resumed one.
    std::string saveBytes(const World& world, const StepReport& report) {
        return encodeWorld(
            world, runSections(RunContinuation{report, seed_}, lineage_.ancestry().serialize()));
    }

    bool writeSave(const World& world, const StepReport& report) {
        if (!save_.isOpen()) return true;
        const std::string problem = save_.write(saveBytes(world, report));
        return problem.empty() || fail(problem);
    }

    // The first step of the run whose frame is written: frames are numbered by step, so a
    // loaded run writes those the unbroken run would have.
    long long firstFrameStep() const {
        const long long every = options_.every;
        return (firstStep_ + every - 1) / every * every;
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
    long long firstStep_;
    std::optional<std::uint32_t> seed_; // of the run, when known: a saved world keeps it
    std::FILE* out_;
    std::FILE* err_;
    OutputFile stats_;
    OutputFile png_;
    OutputFile frame_; // the next frame to write, created ahead for the first one
    OutputFile save_;
    OutputFile videoFile_;
    VideoWriter video_; // after its file, so that it lets go of the file first
    std::string text_;
    std::string statsText_;
    StateDump dump_;
    Picture picture_;
    LineageOutputs lineage_;
    StepKind kind_ = StepKind::world;
    StepCheckpoint checkpoint_;
};

} // namespace

std::string explosionLine(long long limit, long long step) {
    return "the world exploded: its population passed " + std::to_string(limit) + " creatures " +
           (step < 0 ? std::string("while seeding") : "in step " + std::to_string(step)) +
           " (--population-limit sets the limit)";
}

std::string summaryLine(const RunTotals& t) {
    std::string line = "kanimo-sim: ran " + std::to_string(t.steps) + " steps to step " +
                       std::to_string(t.lastStep) + ": " + std::to_string(t.living) + " living, " +
                       std::to_string(t.dead) + " dead; " + std::to_string(t.births) + " births, " +
                       std::to_string(t.deaths) + " deaths";
    if (t.seed) line += "; seed " + std::to_string(*t.seed);
    return line;
}

int runSingleWorld(const SimOptions& o, std::FILE* out, std::FILE* err) {
    // A loaded world goes on from its saved step, with the report of that step, and keeps
    // its own settings.
    World world(o.settings);
    RunContinuation loaded;
    std::optional<std::string> ancestry;
    if (!o.loadPath.empty()) {
        std::string problem = loadRun(o.loadPath, world, loaded, ancestry);
        if (problem.empty()) {
            problem = checkWorldSettings(world.settings, drawsPictures(o));
            if (!problem.empty()) {
                problem = "cannot run '" + printable(o.loadPath) + "': " + problem;
            }
        }
        if (!problem.empty()) {
            std::fprintf(err, "kanimo-sim: %s\n", problem.c_str());
            return 2;
        }
    }
    const long long first = world.stepCount;
    RunOutput output(o, first, out, err);
    if (!output.open(world.settings.worldSize)) return 2;

    StepReport report = loaded.lastStep;
    std::optional<std::uint32_t> seed = loaded.seed;
    StepContext context(world, output.observer(), stepStopFlag());
    context.populationLimit = o.populationLimit;
    const StepKind kind = o.fast ? StepKind::fast : StepKind::world;
    ProgressBar bar(static_cast<std::uint64_t>(o.steps), err,
                    !o.quiet && standardErrorIsTerminal());
    RunTotals totals;
    Clock::time_point start;
    long long whole = -1; // the last step after which the world was whole
    // A write that fails because a signal closed the pipe is the signal's doing: the world
    // of the step just taken is whole, and saved as for any signal.
    const auto stopOrFail = [&] {
        if (stopSignal() != 0) {
            bar.finish();
            output.interrupt(&world, whole, report);
        }
        return 1;
    };
    try {
        if (o.loadPath.empty()) {
            seed = o.seed;
            if (!o.seedGiven) {
                // Like the window program, the clock in whole seconds, cut to 32 bits; said
                // aloud, once everything else is known to be in order, so that the run can
                // be repeated.
                seed = static_cast<std::uint32_t>(std::time(nullptr));
                std::fprintf(err, "kanimo-sim: seed %u\n", static_cast<unsigned>(*seed));
            }
            world.rng.srand(*seed);
            seedWorld(context);
            report.births = world.creatures.size();
        }
        whole = first;
        if (!output.begin(world, RecordedRun{seed, kind}, ancestry ? &*ancestry : nullptr)) {
            return 2;
        }
        if (!output.afterStep(world, first, report)) return stopOrFail();
        output.keepCheckpoint(world, first, report);

        start = Clock::now();
        for (long long k = 1; k <= o.steps && stopSignal() == 0; ++k) {
            report = takeStep(context, kind);
            whole = first + k;
            if (!output.afterStep(world, first + k, report)) return stopOrFail();
            output.keepCheckpoint(world, first + k, report);
            totals.births += report.births;
            totals.deaths += report.deaths;
            bar.update(static_cast<std::uint64_t>(k));
        }
    } catch (const PopulationLimitReached&) {
        bar.finish();
        reportFailure(err, explosionLine(o.populationLimit, whole < 0 ? -1 : whole + 1));
        return 1;
    } catch (const StepStopped&) {
        bar.finish();
        output.interrupt(nullptr, whole, report);
        return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bar.finish();
    if (stopSignal() != 0) {
        output.interrupt(&world, whole, report);
        return 1;
    }

    std::string benchLine;
    if (o.bench) benchLine = formatBenchLine(static_cast<double>(o.steps), seconds);
    if (!output.atEnd(world, first + o.steps, report, benchLine)) return 1;
    // A run that prints nothing on standard output says what it did on standard error.
    if (!o.quiet && !o.dump && !o.trace && !o.bench) {
        const Census census = takeCensus(world);
        totals.steps = o.steps;
        totals.lastStep = first + o.steps;
        totals.living = census.living;
        totals.dead = census.length - census.living;
        totals.seed = seed;
        std::fprintf(err, "%s\n", summaryLine(totals).c_str());
    }
    return 0;
}

} // namespace kanimo
