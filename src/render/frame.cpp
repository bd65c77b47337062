#include "render/frame.h"

#include "render/background.h"
#include "render/creature_drawing.h"
#include "world/world.h"

namespace kanimo {

void composeFrame(Picture& picture, const World& world, bool plainBackground) {
    paintBackground(picture, plainBackground, world.settings.worldSize);
    drawCreatures(picture, world.creatures.head(), world.settings.lifespan);
}

} // namespace kanimo
