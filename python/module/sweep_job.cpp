#include "sweep_job.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "cli/world_options.h"
#include "files/output_file.h"
#include "record/run_record.h"
#include "report/stats_csv.h"

namespace kanimo {

namespace {

// Messages name the command-line option; a script names the setting alone.
std::string withoutOptionName(std::string problem) {
    for (const std::string_view option : {"--set ", "--"}) {
        if (problem.starts_with(option)) return problem.substr(option.size());
    }
    return problem;
}

// Feeds a run's lives and steps to its record, as kanimo-sim --record does.
class RecordWatcher : public SeedRunWatcher {
  public:
    RecordWatcher(RunRecord& record, RecordedRun run, long long lastStep)
        : record_(record), run_(run), lastStep_(lastStep) {}

    void died(const Creature& creature, DeathCause cause) override {
        (void)cause;
        record_.lifeEnded(creature);
    }

    void afterStep(const World& world, long long step, const StepReport& report) override {
        if (!problem.empty()) return;
        if (step == 0) problem = record_.begin(world, run_);
        if (problem.empty()) problem = record_.addStep(step, report, takeCensus(world));
        if (problem.empty() && step == lastStep_) problem = record_.finish(world);
    }

    std::string problem;

  private:
    RunRecord& record_;
    RecordedRun run_;
    long long lastStep_;
};

std::string readWhole(const std::string& path, std::string& bytes) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    std::ifstream in(path, std::ios::binary);
    if (!error) {
        bytes.resize(size);
        in.read(bytes.data(), static_cast<std::streamsize>(size));
    }
    return error || !in ? "cannot read the run's record" : "";
}

} // namespace

std::string scriptSettings(int scale,
                           const std::vector<std::pair<std::string, std::string>>& values,
                           WorldSettings& settings) {
    if (std::string problem = applyWorldOption("--scale", std::to_string(scale), settings);
        !problem.empty()) {
        return withoutOptionName(problem);
    }
    for (const auto& [name, value] : values) {
        if (std::string problem = applyWorldOption("--set", name + "=" + value, settings);
            !problem.empty()) {
            return withoutOptionName(problem);
        }
    }
    return checkWorldSettings(settings, false);
}

SweepJobResult runSweepJob(std::uint32_t seed, int steps, bool fast, const WorldSettings& settings,
                           bool record, const std::atomic<bool>& stop) {
    SweepJobResult result;
    result.summary.seed = seed;
    std::atomic<std::uint64_t> stepsDone{0};
    std::optional<SeedSummary> summary;
    if (!record) {
        summary = runSeed(seed, steps, fast, stepsDone, stop, settings);
    } else {
        // The record is built in a temporary file that is read back and never put in place.
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
        OutputFile file;
        std::string problem = file.open((folder / "kanimo-sweep-run.db").string());
        RunRecord runRecord;
        if (problem.empty()) problem = runRecord.open(file, false);
        if (!problem.empty()) {
            result.error = problem;
            return result;
        }
        RecordWatcher watcher(runRecord, RecordedRun{seed, fast ? StepKind::fast : StepKind::world},
                              steps);
        summary = runSeed(seed, steps, fast, stepsDone, stop, settings, &watcher);
        runRecord.close();
        if (summary && watcher.problem.empty()) {
            watcher.problem = readWhole(file.temporaryPath(), result.record);
        }
        if (!watcher.problem.empty()) {
            result.error = watcher.problem;
            return result;
        }
    }
    if (!summary) {
        result.error = "stopped";
        return result;
    }
    result.summary = *summary;
    return result;
}

} // namespace kanimo
