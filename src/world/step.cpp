#include "world/step.h"

#include "world/contact.h"
#include "world/population.h"
#include "world/step_context.h"

namespace kanimo {

StepReport worldStep(World& world, StepObserver* observer) {
    return worldStep(StepContext(world, observer));
}

StepReport fastStep(World& world, StepObserver* observer) {
    return fastStep(StepContext(world, observer));
}

StepReport takeStep(World& world, StepKind kind, StepObserver* observer) {
    return takeStep(StepContext(world, observer), kind);
}

StepReport worldStep(StepContext step) {
    World& world = step.world;
    ++world.stepCount;
    StepReport report;
    report.births = contactPass(step);
    report.deaths = cullPass(step);
    report.population = world.population;
    report.births += refillWorld(step);
    return report;
}

StepReport fastStep(StepContext step) {
    World& world = step.world;
    ++world.stepCount;
    StepReport report;
    report.births = contactPass(step);
    report.population = world.population;
    return report;
}

StepReport takeStep(StepContext step, StepKind kind) {
    return kind == StepKind::fast ? fastStep(step) : worldStep(step);
}

} // namespace kanimo
