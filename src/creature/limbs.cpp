#include "creature/limbs.h"

#include "creature/creature.h"
#include "world/geometry.h"
#include "world/world.h"

namespace kanimo {

namespace {

// f is 10 - depth: deep segments act less, and past depth 10 the signs turn over.
void applySegmentEffect(World& world, Creature& c, int kind, int f) {
    if (kind == 2) {
        if (world.boostBudget > 0) {
            c.energy = c.energy + f * 0.0001 * 0.1;
            c.growth = c.growth + f * 0.002 * 0.1;
            world.boostBudget = world.boostBudget - 1;
        }
        c.speed = c.speed - f * 0.5 * 0.1;
        c.turnDrive = c.turnDrive - f * 0.0001 * 0.1;
    } else if (kind == 3) {
        c.speed = c.speed + f * 0.1;
        c.turnDrive = c.turnDrive + f * 0.001 * 0.1;
    }
    c.speed = c.speed - f * 0.5 * 0.1;
    c.turnDrive = c.turnDrive + f * 0.0001 * 0.1;
}

} // namespace

void updateLimbs(World& world, Creature& c) {
    for (Segment* head = c.firstLimb; head != nullptr; head = head->nextLimb) {
        head->size = c.size * world.limbSizeFactor;
        head->pushPosition(polarOffset(c.pos.x, c.pos.y, head->angle - c.swing, head->reach));
        head->reach = c.size * 0.6;
        // Each segment starts from where its parent was before this tick's push, so the
        // chain trails behind a moving body.
        for (Segment* s = head->next; s != nullptr; s = s->next) {
            const Vec2 origin = s->parent->prevPos;
            s->pushPosition(polarOffset(origin.x, origin.y, s->angle - c.swing, s->reach * 0.1));
            s->size = s->parent->size * 0.9;
            applySegmentEffect(world, c, s->kind, 10 - s->depth);
        }
    }
}

} // namespace kanimo
