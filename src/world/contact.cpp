#include "world/contact.h"

#include <memory>

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/tick.h"
#include "world/index/all_pairs_index.h"
#include "world/index/contact_index.h"
#include "world/index/spatial_index.h"
#include "world/population.h"
#include "world/step_context.h"

namespace kanimo {

namespace {

// What a bite does: the attacker gains (10 - depth) x 40 x 0.1 energy and (10 - depth) x 5
// x 0.1 growth, each product taken in that order, and the victim loses biteCost.
constexpr int biteEnergy = 40;
constexpr int biteGrowth = 5;
constexpr double biteShare = 0.1;
constexpr double biteCost = 35;

} // namespace

bool limbStrike(Creature& attacker, Creature& victim) {
    const double victimRadius = victim.size * 0.5;
    const Vec2 rv = cornerPoint(victim.pos, victimRadius);
    for (const Segment* head = attacker.body.firstLimb(); head != nullptr;
         head = head->nextLimb()) {
        for (const Segment* s = head; s != nullptr; s = s->next()) {
            const Vec2 rs = cornerPoint(s->pos, s->size * 0.5);
            if (!circlesOverlap(rs.x, rs.y, rv.x, rv.y, s->size * 0.5, victimRadius)) continue;
            if (s->kind == SegmentKind::bite) {
                attacker.energy = attacker.energy + (10 - s->depth) * biteEnergy * biteShare;
                attacker.growth = attacker.growth + (10 - s->depth) * biteGrowth * biteShare;
                victim.energy = victim.energy - biteCost;
            }
            return true;
        }
    }
    return false;
}

namespace {

// p meets q. Both overlap tests compare reference points (the centre moved back by half
// the size on both axes), not centres: for unequal sizes the tested circles are shifted
// against each other. The near test lets p strike q with a limb, unless the index knows
// that none of p's segments comes near q; a strike, or the touch test, is a contact: the
// two exchange headings, each is pushed a bounce step along its new one, and they become
// partners. Returns true when the two made contact.
bool meet(StepContext& step, Creature& p, Creature& q, bool limbsMayReach) {
    const Vec2 rp = cornerPoint(p.pos, p.size * 0.5);
    const Vec2 rq = cornerPoint(q.pos, q.size * 0.5);
    bool touch = false;
    if (limbsMayReach && circlesOverlap(rp.x, rp.y, rq.x, rq.y, p.size * 3, q.size * 3) &&
        limbStrike(p, q)) {
        touch = true;
        // q was alive when the visit began, so only this bite can have killed it.
        if (q.energy <= 0) step.died(q, DeathCause::bitten);
    }
    if (circlesOverlap(rp.x, rp.y, rq.x, rq.y, p.size * 0.5, q.size * 0.5)) touch = true;
    if (!touch) return false;

    const double bounceStep = step.world.settings.bounceStep;
    swapDoubles(p.heading, q.heading);
    p.pos = polarOffset(p.pos.x, p.pos.y, p.heading, bounceStep);
    q.pos = polarOffset(q.pos.x, q.pos.y, q.heading, bounceStep);
    p.partner = &q;
    q.partner = &p;
    return true;
}

// p's visit to q: the skip rules, then the dead tests, which shrink a dead creature, in
// this order and only this far, then the meeting itself.
bool visit(StepContext& step, Creature& p, Creature& q, bool limbsMayReach) {
    if (&q == &p || p.partner == &q || q.partner == &p) return false;
    if (isDead(p)) return false; // shrinks p if dead
    if (isDead(q)) return false; // shrinks q if dead
    return meet(step, p, q, limbsMayReach);
}

// A partner that has drifted out of range is let go, from p's side only.
void keepPartnerInRange(const World& world, Creature& p) {
    if (p.partner != nullptr && distance(p.pos.x, p.pos.y, p.partner->pos.x, p.partner->pos.y) >
                                    static_cast<double>(world.settings.contactRange)) {
        p.partner = nullptr;
    }
}

// A tick's end as a death, when it is one.
void noteTickEnd(StepContext& step, Creature& p, TickEnd end) {
    switch (end) {
    case TickEnd::starved:
        step.died(p, DeathCause::starved);
        break;
    case TickEnd::oldAge:
        step.died(p, DeathCause::oldAge);
        break;
    case TickEnd::split:
        step.died(p, DeathCause::split);
        break;
    case TickEnd::living:
    case TickEnd::dead:
        break;
    }
}

template <ContactIndex Index> int contactPassWith(StepContext& step, Index& index) {
    World& world = step.world;
    index.beginPass(world.creatures.inOrder(), world.settings.worldSize);
    int births = 0;
    // Offspring join the list, and the pass, at once: they get their turn in this pass.
    for (int i = 0; i < index.size(); ++i) {
        step.checkStop();
        Creature& p = index.creature(i);
        if (world.rng.random(50) != 0) world.boostBudget = world.settings.boostBudget;

        for (int j = index.firstVisit(i); j >= 0;) {
            const bool contact = visit(step, p, index.creature(j), index.limbsMayReach(i, j));
            j = index.nextVisit(i, j, contact);
        }

        keepPartnerInRange(world, p);
        index.beforeTick(i);
        const TickEnd end = creatureTick(world.settings, world.rng, world.boostBudget, p);
        noteTickEnd(step, p, end);
        index.afterTick(i);

        if (end == TickEnd::split) {
            reproduce(step, p);
            index.appended();
            births += 3;
        }
    }
    index.endPass();
    return births;
}

} // namespace

int contactPass(StepContext step) {
    World& world = step.world;
    if (world.contactSearch == ContactSearch::allPairs) {
        AllPairsIndex index;
        return contactPassWith(step, index);
    }
    if (world.spatialIndex == nullptr) world.spatialIndex = std::make_unique<SpatialIndex>();
    return contactPassWith(step, *world.spatialIndex);
}

} // namespace kanimo
