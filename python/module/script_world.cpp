#include "script_world.h"

#include <stdexcept>

#include "files/output_file.h"
#include "report/resume.h"
#include "save/save.h"
#include "world/population.h"

namespace kanimo {

void ScriptWorld::Watcher::born(const Creature& creature, const Creature* parent) {
    owner_.ancestry_.born(creature);
    if (events == nullptr) return;
    events->push_back(LifeEvent{owner_.world_->stepCount, LifeEvent::Kind::birth,
                                creature.lineage.id, parent ? parent->lineage.id : 0,
                                DeathCause::none});
}

void ScriptWorld::Watcher::died(const Creature& creature, DeathCause cause) {
    owner_.ancestry_.died(creature);
    if (events == nullptr) return;
    events->push_back(
        LifeEvent{owner_.world_->stepCount, LifeEvent::Kind::death, creature.lineage.id, 0, cause});
}

void ScriptWorld::Watcher::removed(const Creature& creature) {
    if (events == nullptr) return;
    events->push_back(LifeEvent{owner_.world_->stepCount, LifeEvent::Kind::removal,
                                creature.lineage.id, 0, DeathCause::none});
}

ScriptWorld::ScriptWorld(StepKind kind) : world_(std::make_unique<World>()), kind_(kind) {}

ScriptWorld::ScriptWorld(const WorldSettings& settings, std::uint32_t seed, StepKind kind)
    : world_(std::make_unique<World>(settings)), seed_(seed), kind_(kind) {
    // As kanimo-sim seeds a run: the seeded creatures are the births of step 0.
    world_->rng.srand(seed);
    seedWorld({*world_, &watcher_});
    ancestry_.endStep();
    lastStep_.births = world_->creatures.size();
}

ScriptWorld::~ScriptWorld() = default;

std::unique_ptr<ScriptWorld> ScriptWorld::load(const std::string& path, StepKind kind) {
    std::unique_ptr<ScriptWorld> loaded(new ScriptWorld(kind));
    RunContinuation run;
    std::optional<std::string> ancestry;
    if (std::string problem = loadRun(path, *loaded->world_, run, ancestry); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    loaded->seed_ = run.seed;
    loaded->lastStep_ = run.lastStep;
    if (ancestry) {
        if (std::string problem = loaded->ancestry_.deserialize(*ancestry); !problem.empty()) {
            throw std::runtime_error("cannot load '" + path + "': " + problem);
        }
    } else {
        loaded->ancestry_.adoptLiving(*loaded->world_);
    }
    return loaded;
}

void ScriptWorld::step(std::vector<LifeEvent>* events) {
    watcher_.events = events;
    lastStep_ = takeStep(*world_, kind_, &watcher_);
    watcher_.events = nullptr;
    ancestry_.endStep();
}

const Creature* ScriptWorld::find(std::uint64_t id) const {
    const Creature* found = nullptr;
    forEachCreature(*world_, [&](const Creature& c) {
        if (c.lineage.id == id) found = &c;
    });
    return found;
}

bool ScriptWorld::remove(std::uint64_t id) {
    const Creature* c = find(id);
    if (c == nullptr) return false;
    removeCreature(*world_, const_cast<Creature*>(c), &watcher_);
    ancestry_.endStep();
    return true;
}

std::string ScriptWorld::save(const std::string& path) const {
    OutputFile file;
    if (std::string problem = file.open(path); !problem.empty()) return problem;
    const std::string bytes =
        encodeWorld(*world_, runSections(RunContinuation{lastStep_, seed_}, ancestry_.serialize()));
    if (std::string problem = file.write(bytes); !problem.empty()) return problem;
    return file.commit();
}

std::string ScriptWorld::dump() {
    std::string text;
    dump_.append(text, *world_, world_->stepCount);
    return text;
}

} // namespace kanimo
