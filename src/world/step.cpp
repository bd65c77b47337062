#include "world/step.h"

#include "world/contact.h"
#include "world/population.h"
#include "world/step_context.h"

namespace kanimo {

StepReport worldStep(World& world, StepObserver* observer) {
    StepContext step{world, observer};
    ++world.stepCount;
    StepReport report;
    report.births = contactPass(step);
    report.deaths = cullPass(step);
    report.population = world.population;
    report.births += refillWorld(step);
    return report;
}

StepReport fastStep(World& world, StepObserver* observer) {
    StepContext step{world, observer};
    ++world.stepCount;
    StepReport report;
    report.births = contactPass(step);
    report.population = world.population;
    return report;
}

StepReport takeStep(World& world, StepKind kind, StepObserver* observer) {
    return kind == StepKind::fast ? fastStep(world, observer) : worldStep(world, observer);
}

} // namespace kanimo
