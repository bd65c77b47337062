#include "creature/locomotion.h"

#include <cmath>

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/phase_cycle.h"
#include "creature/rules.h"

namespace kanimo {

namespace {

constexpr double pi = 3.141592653589793;

Oscillation workOutOscillation(double phase, double phaseSeed) {
    const double w = std::sin(0.001 * phase + phaseSeed * pi);
    const bool steady =
        std::sin(phaseSeed * pi + phase) < 0.5 && std::sin(0.0005 * phaseSeed * pi + phase) > -0.5;
    return Oscillation{w, steady};
}

// Past its 126th tick a creature's phase repeats every 252 ticks, so the sines are taken
// once per place in the cycle and kept with the creature.
Oscillation oscillation(Creature& c) {
    const int slot = steeringPlace(c.phase);
    if (slot < 0) return workOutOscillation(c.phase, c.phaseSeed);
    if (c.steeringMemo == nullptr || c.steeringMemo->phaseSeed != c.phaseSeed) {
        c.steeringMemo = std::make_unique<SteeringMemo>(c.phaseSeed);
    }
    SteeringMemo& memo = *c.steeringMemo;
    if (!memo.known(slot)) {
        const Oscillation o = workOutOscillation(c.phase, c.phaseSeed);
        memo.keep(slot, o);
        return o;
    }
    return Oscillation{memo.w[slot], memo.turns(slot)};
}

} // namespace

void moveCreature(const CreatureRules& rules, Creature& c) {
    c.phase = nextPhase(c.phase);

    const double h = c.heading * degreesToRadians;
    c.pos.x = c.pos.x + std::cos(h) * c.speed;
    c.pos.y = c.pos.y - std::sin(h) * c.speed;

    // Only one bounceStep back, however far past the bound: an overshooting creature
    // works its way in over several ticks.
    const double hi = rules.worldSize - c.size * 0.5 - 2;
    const double lo = c.size * 0.5 + 2;
    bool bounced = false;
    if (c.pos.x > hi) {
        c.heading = 180 - c.heading;
        c.pos.x = c.pos.x - rules.bounceStep;
        bounced = true;
    } else if (c.pos.x < lo) {
        c.heading = 180 - c.heading;
        c.pos.x = c.pos.x + rules.bounceStep;
        bounced = true;
    }
    if (c.pos.y > hi) {
        c.heading = 360 - c.heading;
        c.pos.y = c.pos.y - rules.bounceStep;
        bounced = true;
    } else if (c.pos.y < lo) {
        c.heading = 360 - c.heading;
        c.pos.y = c.pos.y + rules.bounceStep;
        bounced = true;
    }
    c.heading = wrapAngle(c.heading);

    if (bounced && c.partner != nullptr &&
        distance(c.pos.x, c.pos.y, c.partner->pos.x, c.partner->pos.y) > 10) {
        c.partner = nullptr;
    }
}

void steerCreature(const CreatureRules& rules, Creature& c) {
    if (!(c.turnRate <= rules.maxTurn)) {
        c.turnRate = rules.maxTurn;
    } else if (c.turnRate < -rules.maxTurn) {
        c.turnRate = -rules.maxTurn;
    }

    const Oscillation o = oscillation(c);
    c.swing = c.swing + o.w * (200 * c.turnRate);
    c.heading = c.heading + o.w * (200 * c.turnRate);
    if (o.steadySwingTurn) c.swing = c.swing + c.turnSign * c.turnRate;
    c.heading = c.heading + c.turnSign * c.turnRate;
    c.swing = wrapAngle(c.swing);
    c.heading = wrapAngle(c.heading);
}

} // namespace kanimo
