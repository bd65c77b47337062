#include "lab/lab_world.h"

#include <string>
#include <vector>

#include "creature/creature.h"
#include "lab/world_walk.h"
#include "report/resume.h"
#include "save/save.h"
#include "world/population.h"

namespace kanimo {

void LabWorld::Watcher::born(const Creature& creature, const Creature* parent) {
    (void)parent;
    owner_.lives_.born(creature, owner_.world_.stepCount);
    owner_.ancestry_.born(creature);
}

void LabWorld::Watcher::died(const Creature& creature, DeathCause cause) {
    (void)cause;
    owner_.lives_.died(creature, owner_.world_.stepCount);
    owner_.ancestry_.died(creature);
    ++owner_.deathsInStep_;
}

void LabWorld::Watcher::removed(const Creature& creature) {
    owner_.lives_.removed(creature, owner_.world_.stepCount);
}

LabWorld::LabWorld(const WorldSettings& settings) : world_(settings) {}

void LabWorld::seed(std::uint32_t seed) {
    seed_ = seed;
    world_.rng.srand(seed);
    seedWorld({world_, &watcher_});
    StepReport report;
    report.births = world_.creatures.size();
    afterStep(report, true);
}

std::string LabWorld::load(const std::string& path) {
    RunContinuation run;
    std::optional<std::string> ancestry;
    if (std::string problem = loadRun(path, world_, run, ancestry); !problem.empty()) {
        return problem;
    }
    seed_ = run.seed;
    lastStep_ = run.lastStep;
    lives_.adopt(world_);
    if (ancestry) {
        if (std::string problem = ancestry_.deserialize(*ancestry); !problem.empty()) {
            return "cannot load '" + path + "': " + problem;
        }
    } else {
        ancestry_.adoptLiving(world_);
    }
    // The saved step is in the chart of the run that saved it; this one starts after it.
    countWorld();
    return {};
}

StepReport LabWorld::step() {
    const StepReport report = worldStep(world_, &watcher_);
    afterStep(report, true);
    return report;
}

void LabWorld::afterStep(const StepReport& report, bool charted) {
    ancestry_.endStep();
    countWorld();
    if (charted) plot_.add(world_.stepCount, census_, report.births, deathsInStep_);
    deathsInStep_ = 0;
    lastStep_ = report;
}

// The sums run in list order, as takeCensus's do, so that the means are the same doubles.
void LabWorld::countWorld() {
    Census census;
    double sizeSum = 0.0;
    double energySum = 0.0;
    long long kindCount[4] = {0, 0, 0, 0};
    forEachCreature(world_, [&](const Creature& c) {
        ++census.length;
        if (!(c.energy > 0)) return;
        ++census.living;
        sizeSum += c.size;
        energySum += c.energy;
        census.livingSegments += c.body.segmentCount();
        const LifeRecord::Life& life = lives_.of(c);
        for (int k = 0; k < 4; ++k) kindCount[k] += life.kinds[k];
    });
    finishCensus(census, sizeSum, energySum, kindCount);
    census_ = census;
}

std::string LabWorld::deleteCreature(std::uint64_t id) {
    Creature* chosen = nullptr;
    forEachCreature(world_, [&](Creature& c) {
        if (c.lineage.id == id) chosen = &c;
    });
    if (chosen == nullptr) {
        return "creature #" + std::to_string(id) + " is not in the world at step " +
               std::to_string(world_.stepCount);
    }
    removeCreature(world_, chosen, &watcher_);
    ancestry_.endStep();
    // The death belongs to no step's count: a replay from a snapshot taken after it would
    // not count it again.
    deathsInStep_ = 0;
    countWorld();
    return {};
}

std::string LabWorld::changeSettings(const WorldSettings& settings) {
    const WorldSettings kept = world_.settings;
    world_.settings = settings;
    const std::string changed = saveBytes();
    world_.settings = kept;
    // Tried on a world of its own first, so that one the loader refuses leaves this as it is.
    World trial(settings);
    RunContinuation run;
    std::optional<std::string> ancestry;
    if (std::string problem = readRun(changed, trial, run, ancestry); !problem.empty()) {
        return "the world as it is cannot go on under these settings: " + problem;
    }
    return restore(LabSnapshot{world_.stepCount, changed, plot_});
}

LabSnapshot LabWorld::snapshot() const {
    return LabSnapshot{world_.stepCount, saveBytes(), plot_};
}

std::string LabWorld::restore(const LabSnapshot& snapshot) {
    RunContinuation run;
    std::optional<std::string> ancestry;
    if (std::string problem = readRun(snapshot.bytes, world_, run, ancestry); !problem.empty()) {
        return problem;
    }
    seed_ = run.seed;
    lastStep_ = run.lastStep;
    if (ancestry) {
        if (std::string problem = ancestry_.deserialize(*ancestry); !problem.empty())
            return problem;
    }
    plot_ = snapshot.plot;
    deathsInStep_ = 0;
    countWorld();
    return {};
}

std::string LabWorld::saveBytes() const {
    return encodeWorld(world_,
                       runSections(RunContinuation{lastStep_, seed_}, ancestry_.serialize()));
}

} // namespace kanimo
