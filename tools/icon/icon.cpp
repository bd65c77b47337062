#include "icon.h"

#include <algorithm>
#include <cstdint>

#include "creature/creature.h"
#include "render/background.h"
#include "render/creature_drawing.h"
#include "render/picture.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {

namespace {

// The world and the moment the creature is taken from; chosen by eye.
constexpr std::uint32_t iconSeed = 1;
constexpr int iconSteps = 300;
constexpr double maxMagnification = 4;

// The creature with the most segments, the first of them on a tie.
Creature* largest(World& world) {
    Creature* chosen = world.creatures.head();
    for (Creature* c : world.creatures) {
        if (c->body.segmentCount() > chosen->body.segmentCount()) chosen = c;
    }
    return chosen;
}

struct Box {
    double left, top, right, bottom;
};

Box extentOf(const Creature& c) {
    Box b{c.pos.x - c.size / 2, c.pos.y - c.size / 2, c.pos.x + c.size / 2, c.pos.y + c.size / 2};
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        const Segment& s = c.body.segments()[i];
        b.left = std::min(b.left, s.pos.x - s.size / 2);
        b.top = std::min(b.top, s.pos.y - s.size / 2);
        b.right = std::max(b.right, s.pos.x + s.size / 2);
        b.bottom = std::max(b.bottom, s.pos.y + s.size / 2);
    }
    return b;
}

// Magnifies the creature, sizes included, to fill most of the icon, and centres it.
void fitToIcon(Creature& c) {
    const Box b = extentOf(c);
    const double factor =
        std::min(maxMagnification, iconSide * 0.8 / std::max(b.right - b.left, b.bottom - b.top));
    const Vec2 from((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    auto place = [&](Vec2 p) {
        return Vec2(iconSide / 2.0 + (p.x - from.x) * factor,
                    iconSide / 2.0 + (p.y - from.y) * factor);
    };
    c.pos = place(c.pos);
    c.size *= factor;
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        Segment& s = c.body.segments()[i];
        s.pos = place(s.pos);
        s.size *= factor;
    }
}

} // namespace

Picture drawIcon() {
    World world;
    world.rng.srand(iconSeed);
    seedWorld(world);
    for (int k = 0; k < iconSteps; ++k) worldStep(world);

    Creature* chosen = largest(world);
    Picture icon;
    icon.setSize(iconSide, iconSide);
    paintBackground(icon, false, iconSide);
    if (chosen == nullptr) return icon;
    fitToIcon(*chosen);
    for (const Segment* limb = chosen->body.firstLimb(); limb != nullptr; limb = limb->nextLimb()) {
        drawLimbChain(icon, limb);
    }
    drawBody(icon, *chosen, world.settings.lifespan);
    return icon;
}

} // namespace kanimo
