#include "app/run_loop.h"

#include <cstdint>
#include <ctime>
#include <string>

#include "app/construct.h"
#include "app/shell.h"
#include "app/start_seed.h"
#include "render/background.h"
#include "render/creature_drawing.h"
#include "world/population.h"
#include "world/step.h"

namespace kanimo {

namespace {

void drawFrame(Shell& shell, Tconstruct& form) {
    paintBackground(shell.offscreen, shell.plainBackground, shell.world.settings.worldSize);
    drawCreatures(shell.offscreen, shell.world.creatures.head(), shell.world.settings.lifespan);
    form.world().copyPicture(shell.offscreen, 2, 2);
    shell.frameCounter = shell.frameCounter + 1;
    if (shell.fpsTick) {
        form.debugMessage().setCaption(std::to_string(shell.frameCounter));
        shell.frameCounter = 0;
        shell.fpsTick = false;
    }
}

// The caption shows the population the cull kept, before any refill.
void runWorldStep(Shell& shell, Tconstruct& form) {
    const StepReport report = worldStep(shell.world);
    form.totalcreatures().setCaption(std::to_string(report.population));
    shell.worldTick = false;
}

} // namespace

void startRunLoop(Shell& shell, Tconstruct& form) {
    shell.running = true;
    shell.offscreen.setSize(form.world().width(), form.world().height());
    if (!shell.worldLoaded) {
        shell.world.rng.srand(announceStartSeed(shell.seed));
        seedWorld(shell.world);
    }
    shell.frameCounter = 0;
}

void runPass(Shell& shell, Tconstruct& form) {
    if (!shell.paused) {
        if (!shell.fastMode) drawFrame(shell, form);
        if (shell.worldTick && !shell.fastMode) runWorldStep(shell, form);
        if (shell.fastMode) fastStep(shell.world);
    }
    deliverPendingEvents();
}

void runLoop(Shell& shell, Tconstruct& form) {
    startRunLoop(shell, form);
    while (!shell.quitRequested) runPass(shell, form);
}

} // namespace kanimo
