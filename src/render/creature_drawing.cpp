#include "render/creature_drawing.h"

#include "creature/creature.h"
#include "render/creature_shapes.h"
#include "render/picture.h"

namespace kanimo {

void drawCreatures(Picture& picture, const Creature* first, int lifespan) {
    auto draw = [&picture](const EllipseShape& e) { drawShape(picture, e); };
    for (const Creature* c = first; c != nullptr; c = c->next) {
        forEachCreatureShape(*c, lifespan, draw);
    }
}

void drawLimbChain(Picture& picture, const Segment* segment) {
    auto draw = [&picture](const EllipseShape& e) { drawShape(picture, e); };
    forEachChainShape(segment, draw);
}

void drawSegment(Picture& picture, const Segment& segment) {
    drawShape(picture, segmentShape(segment));
}

void drawBody(Picture& picture, const Creature& creature, int lifespan) {
    auto draw = [&picture](const EllipseShape& e) { drawShape(picture, e); };
    forEachBodyShape(creature, lifespan, draw);
}

} // namespace kanimo
