#include "save/world_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <string>

#include "creature/body.h"
#include "creature/creature.h"
#include "creature/phase_cycle.h"
#include "creature/tick.h"
#include "save/world_record.h"
#include "world/settings_limits.h"
#include "world/world.h"

namespace kanimo {

namespace {

std::string number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string number(std::int64_t v) {
    return std::to_string(v);
}

template <typename T> std::string outside(const char* name, T v, T lo, T hi) {
    if (v >= lo && v <= hi) return {};
    return std::string(name) + " " + number(v) + " is outside " + number(lo) + " to " + number(hi);
}

std::string unlike(const char* name, double v, double made) {
    if (v == made) return {};
    return std::string(name) + " " + number(v) + " is not the " + number(made) +
           " every creature of this world is made with";
}

// Visits the fields of a record and keeps the first double that is not finite.
struct FiniteCheck {
    std::string problem;

    void i32(const char*, std::int32_t) {}
    void u32(const char*, std::uint32_t) {}
    void i64(const char*, std::int64_t) {}
    void u64(const char*, std::uint64_t) {}
    void flag(const char*, bool) {}
    void cause(const char*, DeathCause) {}
    void f64(const char* name, double v) {
        if (problem.empty() && !std::isfinite(v)) {
            problem = std::string(name) + " is " + number(v) + ", not a finite number";
        }
    }
};

std::string firstOf(std::initializer_list<std::string> problems) {
    for (const std::string& p : problems) {
        if (!p.empty()) return p;
    }
    return {};
}

// The bounds below follow from the rules, for any settings the checks of the settings
// allow. Where a value can keep changing over a life, its bound grows with the number of
// ticks it may have had: one per step since its birth, and one more for an offspring
// ticked in the step it was born in. Where a bound needs the number of creatures a
// creature may meet in one pass, it takes the most a world may hold: loose, but a world
// that runs by the rules never leaves it.

// A tick caps energy at maxEnergy, then feeding adds less than this (91 chain segments of
// strength 10 at most, 10 x 0.0001 x 0.1 each) and growth less than 20 times it.
constexpr double feedingPerTick = 0.01;
// Stalling costs 10 after the tick has put energy at 0 or above, and a bite (35) lands
// only on a creature whose energy is above 0; a bite by the attacker's own outermost
// segments costs it at most 8, again only from above 0. Energy never goes lower.
constexpr double lowestEnergy = -45;
// A bite by a segment of depth 12 (strength -2) costs the attacker 1 growth; a creature
// bites at most once per other creature in its turn, and nothing brings growth back up
// but feeding and bites of the inner segments.
constexpr double growthLostPerBite = 1;
// Turn drive gained per tick: at most 91 chain segments, each of strength 10 at most and
// adding 10 x (0.001 + 0.0001) x 0.1 when propelling; rounded up.
constexpr double driveGainPerTick = 0.11;
// Each tick moves a body by its speed; a wall puts it back by bounceStep on each axis and
// every contact moves it by bounceStep, at most twice per other creature in a pass (once
// in its own turn, once in the other's).
double moveReachPerTick(const WorldSettings& s) {
    return s.maxSpeed + s.bounceStep * (2.0 * maxCreatures + 2);
}
// A dead test takes deadShrink off; a tick puts a dead body's size back to 0 before
// lowering it, and between two ticks a body takes at most two tests per other creature
// (in its own turn and in theirs) and one in the cull.
constexpr double mostSizeTests = 2.0 * maxCreatures + 4;

// The oscillator phase runs from 0 through a fixed set of values: up by 0.05 for 126
// ticks, then around a cycle of 252 values for ever.
bool reachablePhase(double phase) {
    double p = 0;
    for (int tick = 0; tick <= 126; ++tick) {
        if (phase == p) return true;
        p = nextPhase(p);
    }
    if (phaseCycleSlot(p) >= 0) return phaseCycleSlot(phase) >= 0;
    // Where the cycle does not close to the bit (not on IEEE doubles), any value it runs
    // through lies in its range.
    constexpr double twoPi = 6.283185307179586;
    return phase >= -twoPi && phase <= twoPi + 0.05;
}

bool whole(double v) {
    return v == std::floor(v);
}

std::string checkBody(const Creature& c, const Creature& grown, const World& w, double lowX,
                      double highX) {
    const WorldSettings& s = w.settings;
    const double largest = largestCreatureSize(s);
    // Limb sizes and reaches are set from the body's size in its tick, when it is 0 to
    // `largest`; a chain segment keeps the reach it was grown with.
    const double widest = largest * s.limbSizeFactor;
    const double farthest = largest * 0.6;
    // A segment trails its limb head by one tick per step down the chain, and a head sits
    // within its reach of the body's centre.
    const double trail = (genomeColumns + 2) * std::max(farthest, largest);
    const double lo = lowX - trail;
    const double hi = highX + trail;
    int index = 0;
    for (const Segment* head = c.body.firstLimb(); head != nullptr; head = head->nextLimb()) {
        for (const Segment* seg = head; seg != nullptr; seg = seg->next(), ++index) {
            const std::ptrdiff_t at = seg - c.body.segments().data();
            const Segment& made = grown.body.segments()[at];
            const double grownReach = made.reach;
            std::string problem = firstOf({
                outside("segment x", seg->pos.x, lo, hi),
                outside("segment y", seg->pos.y, lo, hi),
                outside("segment previous x", seg->prevPos.x, lo, hi),
                outside("segment previous y", seg->prevPos.y, lo, hi),
                outside("segment size", seg->size, 0.0, std::max(widest, made.size)),
            });
            if (problem.empty() && seg != head && seg->reach != grownReach) {
                problem = "segment reach " + number(seg->reach) + " is not the " +
                          number(grownReach) + " its chain was grown with";
            }
            if (problem.empty() && seg == head && seg->reach != grownReach) {
                problem = outside("segment reach", seg->reach, 0.0, farthest);
            }
            if (!problem.empty()) return "segment " + std::to_string(at) + ": " + problem;
        }
    }
    return {};
}

} // namespace

std::string checkSettings(const WorldSettings& s) {
    FiniteCheck finite;
    settingsFields(finite, s);
    if (!finite.problem.empty()) return "settings: " + finite.problem;
    const std::string problem = settingsProblem(s);
    return problem.empty() ? problem : "settings: " + problem;
}

std::string checkCounters(const World& w) {
    constexpr std::int64_t intMax = std::numeric_limits<std::int32_t>::max();
    if (w.nextCreatureId < 1 || w.nextCreatureId > static_cast<std::uint64_t>(maxStepCount)) {
        return "the next creature id " + std::to_string(w.nextCreatureId) + " is out of range";
    }
    return firstOf({
        outside<std::int64_t>("boost budget", w.boostBudget, 0, w.settings.boostBudget),
        outside<std::int64_t>("population", w.population, 0, intMax),
        outside<std::int64_t>("step count", w.stepCount, 0, maxStepCount),
    });
}

std::string checkGenome(const Genome& g) {
    // A random genome fills limbCount - 1 rows; mutation changes filled cells only.
    if (const std::string p = outside<std::int64_t>("limb count", g.limbCount, 2, genomeRows + 1);
        !p.empty()) {
        return "genome: " + p;
    }
    char line[96];
    for (int r = 0; r < genomeRows; ++r) {
        const bool rowUsed = r < g.limbCount - 1;
        for (int k = 0; k < genomeColumns; ++k) {
            const int angle = g.angles[r][k];
            const int kind = g.kinds[r][k];
            const bool filled = angle != emptyCell;
            // A used row starts filled; a cell after an empty one is empty too.
            const bool shouldFill = rowUsed && (k == 0 || g.angles[r][k - 1] != emptyCell);
            const char* problem = nullptr;
            if (filled && !shouldFill) {
                problem = "is filled where its row has ended";
            } else if (!filled && rowUsed && k == 0) {
                problem = "is empty, but the row is one of its limbs";
            } else if (filled && (angle < 0 || angle > 360)) {
                problem = "holds an angle outside 0 to 360";
            } else if (filled && (kind < 0 || kind > 3)) {
                problem = "holds a kind outside 0 to 3";
            } else if (!filled && kind != emptyCell) {
                problem = "has a kind but no angle";
            }
            if (problem != nullptr) {
                std::snprintf(line, sizeof line, "genome: cell [%d][%d] (angle %d, kind %d) %s", r,
                              k, angle, kind, problem);
                return line;
            }
        }
    }
    return {};
}

std::string checkCreature(const Creature& c, const World& w) {
    FiniteCheck finite;
    creatureFields(finite, c);
    for (int i = 0; i < c.body.segmentCount() && finite.problem.empty(); ++i) {
        segmentFields(finite, c.body.segments()[i]);
    }
    if (!finite.problem.empty()) return finite.problem;

    const WorldSettings& s = w.settings;
    const Lineage& l = c.lineage;
    if (std::string p = outside<std::int64_t>("birthStep", l.birthStep, 0, w.stepCount);
        !p.empty()) {
        return p;
    }
    // What the rules never change after a creature is made.
    Random scratch;
    Creature made(s, scratch, Vec2(0.0, 0.0), 0.0, false);
    std::string problem = firstOf({
        unlike("maxSize", c.maxSize, made.maxSize),
        unlike("maxEnergy", c.maxEnergy, made.maxEnergy),
        unlike("maxGrowth", c.maxGrowth, made.maxGrowth),
        unlike("baseSpeed", c.baseSpeed, made.baseSpeed),
        unlike("turnSign", c.turnSign, made.turnSign),
        unlike("marked", c.marked, made.marked),
        // Growth dooms a creature for a negative kind only, which no genome of a run has.
        unlike("doomed", c.doomed, false),
    });
    if (!problem.empty()) return problem;

    // Ticks: the creature's own, and the most any creature of the world has had.
    const double ticks = static_cast<double>(w.stepCount - l.birthStep) + 1;
    const double worldTicks = static_cast<double>(w.stepCount) + 1;
    const double largest = largestCreatureSize(s);
    const double turn = s.maxTurn;
    const double driveLow = std::min<double>(s.initialTurn, 0);
    const double driveHigh = std::max<double>(s.initialTurn, 0) + ticks * driveGainPerTick;
    const double growthLow = -ticks * growthLostPerBite * maxCreatures;
    const double reach = worldTicks * moveReachPerTick(s) + largest;
    const double lowX = -reach;
    const double highX = s.worldSize + reach;
    problem = firstOf({
        outside("x", c.pos.x, lowX, highX),
        outside("y", c.pos.y, lowX, highX),
        // Headings are exchanged in contacts, so any creature may carry the widest: a
        // tick's bounces turn it by up to 540 degrees and its steering by 201 maxTurn.
        outside("heading", std::fabs(c.heading), 0.0, 360 + worldTicks * (720 + 201 * turn)),
        outside("swing", std::fabs(c.swing), 0.0, 360 + ticks * 201 * turn),
        outside("turnRate", c.turnRate, driveLow, std::max<double>(s.initialTurn, driveHigh)),
        outside("turnDrive", c.turnDrive, driveLow, driveHigh),
        outside("size", c.size, -deadShrink * mostSizeTests, largest),
        outside("energy", c.energy, lowestEnergy, c.maxEnergy + feedingPerTick),
        outside("growth", c.growth, growthLow, c.maxGrowth + 20 * feedingPerTick),
        outside("growthRatio", c.growthRatio, growthLow / c.maxGrowth, 1.0),
        outside("phaseSeed", c.phaseSeed, 0.0, 32767.0),
        outside("lifeLeft", c.lifeLeft, s.lifespan - ticks, static_cast<double>(s.lifespan)),
    });
    if (!problem.empty()) return problem;
    // Before its first tick a creature has the speed it was made with; each tick puts it
    // within 0 to maxSpeed.
    if (!(c.speed == c.baseSpeed || (c.speed >= 0 && c.speed <= s.maxSpeed))) {
        return "speed " + number(c.speed) + " is outside 0 to " + number(s.maxSpeed);
    }
    if (!whole(c.phaseSeed)) return "phaseSeed " + number(c.phaseSeed) + " is not a whole number";
    if (!whole(c.lifeLeft)) return "lifeLeft " + number(c.lifeLeft) + " is not a whole number";
    if (!reachablePhase(c.phase)) {
        return "phase " + number(c.phase) + " is not one the oscillator passes through";
    }

    // The lineage: ids from 1, a parent made before its child, a generation that needs
    // no more ancestors than there are ids below it, a death after the birth.
    if (l.id < 1 || l.id >= w.nextCreatureId) {
        return "id " + std::to_string(l.id) + " is outside 1 to " +
               std::to_string(w.nextCreatureId - 1);
    }
    if (l.parentId >= l.id) {
        return "parent id " + std::to_string(l.parentId) + " is not below its id " +
               std::to_string(l.id);
    }
    const bool founder = l.parentId == 0;
    if (founder ? l.generation != 0
                : (l.generation < 1 || static_cast<std::uint64_t>(l.generation) > l.parentId)) {
        return "generation " + std::to_string(l.generation) + " does not fit parent id " +
               std::to_string(l.parentId);
    }
    if (founder && l.mutated) return "mutated is set on a founder";
    const bool alive = l.deathStep == -1;
    if (alive != (l.deathCause == DeathCause::none)) {
        return "deathStep " + std::to_string(l.deathStep) + " does not fit its cause of death";
    }
    if (!alive) {
        if (problem = outside<std::int64_t>("deathStep", l.deathStep, l.birthStep, w.stepCount);
            !problem.empty()) {
            return problem;
        }
        // The cull removes the doomed, and a deletion removes its creature, at once.
        if (l.deathCause == DeathCause::doomed || l.deathCause == DeathCause::deleted) {
            return "a creature removed from the world is still in its list";
        }
    }

    if (!c.body.grown()) return "its body is not grown";
    growBody(s, made, c.genome);
    return checkBody(c, made, w, lowX, highX);
}

std::string checkList(const std::vector<const Creature*>& list,
                      const std::vector<std::int32_t>& partners) {
    const std::size_t count = list.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Lineage& l = list[i]->lineage;
        const std::string at = "creature " + std::to_string(i) + ": ";
        if (i > 0 && l.id <= list[i - 1]->lineage.id) {
            return at + "id " + std::to_string(l.id) + " does not follow the id " +
                   std::to_string(list[i - 1]->lineage.id) + " before it";
        }
        if (i > 0 && l.birthStep < list[i - 1]->lineage.birthStep) {
            return at + "born before the creature ahead of it in the list";
        }
        if (partners[i] < -1 || partners[i] >= static_cast<std::int64_t>(count) ||
            partners[i] == static_cast<std::int64_t>(i)) {
            return at + "its partner " + std::to_string(partners[i]) +
                   " is not another creature of the list";
        }
        // Ids rise along the list, so a parent still in it is found by halving.
        const auto parent = std::lower_bound(
            list.begin(), list.begin() + static_cast<std::ptrdiff_t>(i), l.parentId,
            [](const Creature* c, std::uint64_t id) { return c->lineage.id < id; });
        if (l.parentId != 0 && parent != list.begin() + static_cast<std::ptrdiff_t>(i) &&
            (*parent)->lineage.id == l.parentId) {
            const Lineage& p = (*parent)->lineage;
            if (l.generation != p.generation + 1) {
                return at + "generation " + std::to_string(l.generation) +
                       " is not one more than its parent's " + std::to_string(p.generation);
            }
        }
    }
    return {};
}

} // namespace kanimo
