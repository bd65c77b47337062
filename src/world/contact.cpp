#include "world/contact.h"

#include "creature/creature.h"
#include "creature/tick.h"
#include "world/geometry.h"
#include "world/world.h"

namespace kanimo {

bool limbStrike(Creature& attacker, Creature& victim) {
    const double victimRadius = victim.size * 0.5;
    const Vec2 rv = cornerPoint(victim.pos, victimRadius);
    for (const Segment* head = attacker.firstLimb; head != nullptr; head = head->nextLimb) {
        for (const Segment* s = head; s != nullptr; s = s->next) {
            const Vec2 rs = cornerPoint(s->pos, s->size * 0.5);
            if (!circlesOverlap(rs.x, rs.y, rv.x, rv.y, s->size * 0.5, victimRadius)) continue;
            if (s->kind == 1) {
                attacker.energy = attacker.energy + (10 - s->depth) * 40 * 0.1;
                attacker.growth = attacker.growth + (10 - s->depth) * 5 * 0.1;
                victim.energy = victim.energy - 35;
            }
            return true;
        }
    }
    return false;
}

namespace {

// Overlap tests compare reference points (centre moved back by half the size on both
// axes), not centres: for unequal sizes the tested circles are shifted against each other.
void meet(World& world, Creature& p, Creature& q) {
    const Vec2 rp = cornerPoint(p.pos, p.size * 0.5);
    const Vec2 rq = cornerPoint(q.pos, q.size * 0.5);
    bool touch = false;
    if (circlesOverlap(rp.x, rp.y, rq.x, rq.y, p.size * 3, q.size * 3)) {
        if (limbStrike(p, q)) touch = true;
    }
    if (circlesOverlap(rp.x, rp.y, rq.x, rq.y, p.size * 0.5, q.size * 0.5)) touch = true;
    if (!touch) return;

    swapDoubles(p.heading, q.heading);
    p.pos = polarOffset(p.pos.x, p.pos.y, p.heading, world.bounceStep);
    q.pos = polarOffset(q.pos.x, q.pos.y, q.heading, world.bounceStep);
    p.partner = &q;
    q.partner = &p;
}

} // namespace

void contactPass(World& world, Creature* first) {
    for (Creature* p = first; p != nullptr; p = p->next) {
        if (world.rng.random(50) != 0) world.boostBudget = 1000;

        for (Creature* q = world.listHead; q != nullptr; q = q->next) {
            if (q == p || p->partner == q || q->partner == p) continue;
            // Both dead tests shrink a dead creature, in this order and only this far.
            if (isDead(*p)) continue;
            if (isDead(*q)) continue;
            meet(world, *p, *q);
        }

        if (p->partner != nullptr &&
            distance(p->pos.x, p->pos.y, p->partner->pos.x, p->partner->pos.y) >
                static_cast<double>(world.contactRange)) {
            p->partner = nullptr;
        }
        creatureTick(world, *p);
    }
}

} // namespace kanimo
