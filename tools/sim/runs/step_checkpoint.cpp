#include "runs/step_checkpoint.h"

#include <optional>
#include <utility>

#include "report/ancestry.h"
#include "report/resume.h"
#include "world/world.h"

namespace kanimo {

namespace {

constexpr int copyCostShare = 32;

// The family of the living, kept through the steps run again as the run kept it.
class AncestryWatch : public StepObserver {
  public:
    explicit AncestryWatch(Ancestry& ancestry) : ancestry_(ancestry) {}
    void born(const Creature& creature, const Creature*) override { ancestry_.born(creature); }
    void died(const Creature& creature, DeathCause) override { ancestry_.died(creature); }

  private:
    Ancestry& ancestry_;
};

} // namespace

bool StepCheckpoint::stepFinished() {
    return empty() || Clock::now() - madeAt_ >= copyCostShare * encoding_;
}

void StepCheckpoint::keep(std::string bytes, long long step, Clock::duration encoding) {
    bytes_ = std::move(bytes);
    step_ = step;
    madeAt_ = Clock::now();
    encoding_ = encoding;
}

std::string StepCheckpoint::replay(long long target, StepKind kind, std::string& bytes) const {
    if (empty() || target < step_) return "no whole step was kept";
    if (target == step_) {
        bytes = bytes_;
        return {};
    }
    World world{WorldSettings{}};
    RunContinuation run;
    std::optional<std::string> family;
    if (std::string problem = readRun(bytes_, world, run, family); !problem.empty()) {
        return problem;
    }
    Ancestry ancestry;
    if (std::string problem = ancestry.deserialize(family.value_or("")); !problem.empty()) {
        return problem;
    }
    AncestryWatch watch(ancestry);
    while (world.stepCount < target) {
        run.lastStep = takeStep(StepContext(world, &watch), kind);
        ancestry.endStep();
    }
    bytes = encodeWorld(world, runSections(run, ancestry.serialize()));
    return {};
}

} // namespace kanimo
