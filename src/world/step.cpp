#include "world/step.h"

#include "world/contact.h"
#include "world/population.h"
#include "world/world.h"

namespace kanimo {

StepReport worldStep(World& world, StepObserver* observer) {
    ++world.stepCount;
    StepReport report;
    report.births = contactPass(world, observer);
    report.deaths = cullPass(world, observer);
    report.population = world.population;
    report.births += refillWorld(world, observer);
    return report;
}

StepReport fastStep(World& world, StepObserver* observer) {
    ++world.stepCount;
    StepReport report;
    report.births = contactPass(world, observer);
    report.population = world.population;
    return report;
}

StepReport takeStep(World& world, StepKind kind, StepObserver* observer) {
    return kind == StepKind::fast ? fastStep(world, observer) : worldStep(world, observer);
}

} // namespace kanimo
