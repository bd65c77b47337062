#include "creature/limbs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/rules.h"

namespace kanimo {

namespace {

// The chain segments' effects on their creature. Each field is changed only by its own
// terms, so the fields can be summed one after the other; within a field the order of the
// terms is the order of the segments. Kind-2 boosts go to the first kind-2 segments in
// that order while the shared budget lasts.
void applyLimbEffects(int& boostBudget, Creature& c) {
    const LimbEffects e = c.body.effects();
    // Both lists have a term per step of a segment's effect, so they run side by side.
    double speed = c.speed;
    double drive = c.turnDrive;
    for (int i = 0; i < e.terms; ++i) {
        speed = speed + e.speedTerms[i];
        drive = drive + e.driveTerms[i];
    }
    c.speed = speed;
    c.turnDrive = drive;

    const int boosts = std::min(e.boosts, std::max(boostBudget, 0));
    double energy = c.energy;
    double growth = c.growth;
    for (int i = 0; i < boosts; ++i) {
        energy = energy + e.boostEnergy[i];
        growth = growth + e.boostGrowth[i];
    }
    c.energy = energy;
    c.growth = growth;
    boostBudget = boostBudget - boosts;
}

// Each chain segment starts from where its parent was before this tick's push, so the
// chain trails behind a moving body. A chain's parent is always the segment before it, so
// that place and the parent's size are carried along the chain.
void placeSegments(const CreatureRules& rules, Creature& c, const double* cosines,
                   const double* sines) {
    for (Segment* head = c.body.firstLimb(); head != nullptr; head = head->nextLimb()) {
        head->size = c.size * rules.limbSizeFactor;
        const int slot = head->angleSlot;
        Vec2 origin = head->pos;
        head->pushPosition(
            Vec2(c.pos.x + cosines[slot] * head->reach, c.pos.y - sines[slot] * head->reach));
        head->reach = c.size * 0.6;
        double size = head->size;
        for (Segment* s = head->next(); s != nullptr; s = s->next()) {
            const Vec2 previous = s->pos;
            const double d = s->reach * 0.1;
            s->pushPosition(
                Vec2(origin.x + cosines[s->angleSlot] * d, origin.y - sines[s->angleSlot] * d));
            origin = previous;
            size = size * 0.9;
            s->size = size;
        }
    }
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Runs in a row with the same inputs after which every chain has settled: the last step
// of the longest chain moves for the last time in the run after this many.
constexpr int settledRuns = genomeColumns + 3;

} // namespace

void updateLimbs(const CreatureRules& rules, int& boostBudget, Creature& c) {
    Body& body = c.body;
    if (!body.grown()) return;

    // Segments that share an angle share its sine and cosine: the argument, and so the
    // value, is the same for all of them in this tick, and in every tick with the same
    // swing.
    const int count = body.angleCount();
    const double* angles = body.angles();
    double* cosines = body.cosines();
    double* sines = body.sines();
    const bool sameSwing = sameBits(c.swing, body.trigSwing());
    if (!sameSwing) {
        for (int i = 0; i < count; ++i) {
            const double r = (angles[i] - c.swing) * degreesToRadians;
            cosines[i] = std::cos(r);
            sines[i] = std::sin(r);
        }
        body.trigSwing() = c.swing;
    }

    // A segment's place and size follow from the body's place, size and swing and from
    // where its parent was one tick before. While those stay the same, the heads settle
    // after two ticks and each step down a chain one tick later; from then on the pass
    // would write what is already there, as it does for every long dead creature.
    LimbRest& rest = body.rest();
    const bool same = sameSwing && sameBits(c.pos.x, rest.x) && sameBits(c.pos.y, rest.y) &&
                      sameBits(c.size, rest.size) && sameBits(rules.limbSizeFactor, rest.factor);
    rest.runs = same ? std::min(rest.runs + 1, settledRuns) : 0;
    rest.x = c.pos.x;
    rest.y = c.pos.y;
    rest.size = c.size;
    rest.factor = rules.limbSizeFactor;
    if (rest.runs < settledRuns) placeSegments(rules, c, cosines, sines);
    applyLimbEffects(boostBudget, c);
}

} // namespace kanimo
