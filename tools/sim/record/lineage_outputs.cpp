#include "record/lineage_outputs.h"

#include "options/options.h"
#include "outputs/plot_svg.h"
#include "report/newick_tree.h"
#include "report/stats_csv.h"
#include "world/world.h"

namespace kanimo {

std::string LineageOutputs::open(bool continueRecord) {
    const std::pair<OutputFile*, const std::string*> files[] = {
        {&recordFile_, &options_.recordPath},
        {&treeFile_, &options_.treePath},
        {&plotFile_, &options_.plotPath},
    };
    for (const auto& [file, path] : files) {
        if (path->empty()) continue;
        watching_ = true;
        keepingAncestry_ = keepingAncestry_ || file == &treeFile_;
        if (std::string problem = file->open(*path); !problem.empty()) return problem;
    }
    if (recordFile_.isOpen()) return record_.open(recordFile_, continueRecord);
    return {};
}

std::string LineageOutputs::begin(const World& world, const RecordedRun& run) {
    run_ = run;
    firstStep_ = world.stepCount;
    if (recordFile_.isOpen()) return record_.begin(world, run);
    return {};
}

void LineageOutputs::born(const Creature& creature, const Creature* parent) {
    (void)parent;
    if (keepingAncestry_) ancestry_.born(creature);
}

void LineageOutputs::died(const Creature& creature, DeathCause cause) {
    (void)cause;
    ++deathsInStep_;
    if (keepingAncestry_) ancestry_.died(creature);
    if (recordFile_.isOpen()) record_.lifeEnded(creature);
}

std::string LineageOutputs::afterStep(long long step, const StepReport& report,
                                      const Census& census) {
    const int deaths = deathsInStep_;
    deathsInStep_ = 0;
    if (keepingAncestry_) ancestry_.endStep();
    if (plotFile_.isOpen()) plot_.add(step, census, report.births, deaths);
    if (recordFile_.isOpen()) return record_.addStep(step, report, census);
    return {};
}

std::string LineageOutputs::finish(const World& world) {
    if (recordFile_.isOpen()) {
        if (std::string problem = record_.finish(world); !problem.empty()) return problem;
    }
    if (treeFile_.isOpen()) {
        if (std::string problem = treeFile_.write(newickTree(ancestry_, world.stepCount));
            !problem.empty()) {
            return problem;
        }
    }
    if (plotFile_.isOpen()) {
        std::string title = "Kanimo";
        if (run_.seed) title += ", seed " + std::to_string(*run_.seed);
        title += run_.kind == StepKind::fast ? ", fast steps " : ", world steps ";
        title += std::to_string(firstStep_) + " to " + std::to_string(world.stepCount);
        if (std::string problem = plotFile_.write(plotSvg(plot_, title)); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string LineageOutputs::commit() {
    if (recordFile_.isOpen()) {
        if (std::string problem = record_.commit(recordFile_); !problem.empty()) return problem;
    }
    for (OutputFile* file : {&treeFile_, &plotFile_}) {
        if (!file->isOpen()) continue;
        if (std::string problem = file->commit(); !problem.empty()) return problem;
    }
    return {};
}

void LineageOutputs::discard() {
    record_.close();
    recordFile_.discard();
    treeFile_.discard();
    plotFile_.discard();
}

} // namespace kanimo
