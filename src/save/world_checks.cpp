#include "save/world_checks.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <string>

#include "creature/creature.h"
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
    if (const std::string p = outside<std::int64_t>("limb count", g.limbCount, 0, genomeRows + 1);
        !p.empty()) {
        return "genome: " + p;
    }
    for (int r = 0; r < genomeRows; ++r) {
        for (int k = 0; k < genomeColumns; ++k) {
            const bool angleBad = g.angles[r][k] < emptyCell || g.angles[r][k] > 360;
            const bool kindBad = g.kinds[r][k] < emptyCell || g.kinds[r][k] > 3;
            if (angleBad || kindBad) {
                char line[80];
                std::snprintf(line, sizeof line, "genome: %s [%d][%d] is %d",
                              angleBad ? "angle" : "kind", r, k,
                              angleBad ? g.angles[r][k] : g.kinds[r][k]);
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

    // No larger than a creature of its world can be, so that placing a new one ends.
    const double limit = largestCreatureSize(w.settings);
    std::string problem = firstOf({
        outside("x", c.pos.x, -valueLimit, valueLimit),
        outside("y", c.pos.y, -valueLimit, valueLimit),
        outside("size", c.size, -valueLimit, limit),
        outside("maxSize", c.maxSize, -valueLimit, limit),
        // Both divide in every tick.
        outside("maxEnergy", c.maxEnergy, std::numeric_limits<double>::min(), valueLimit),
        outside("maxGrowth", c.maxGrowth, std::numeric_limits<double>::min(), valueLimit),
        // Room for a billion more generations before the count would overflow.
        outside<std::int64_t>("generation", c.lineage.generation, 0, std::int64_t{1} << 30),
        outside<std::int64_t>("birthStep", c.lineage.birthStep, 0, w.stepCount),
        outside<std::int64_t>("deathStep", c.lineage.deathStep, -1, w.stepCount),
    });
    if (!problem.empty()) return problem;
    if (c.lineage.id >= w.nextCreatureId || c.lineage.parentId >= w.nextCreatureId) {
        return "id " + std::to_string(c.lineage.id) + " or parent id " +
               std::to_string(c.lineage.parentId) + " is not below the next creature id " +
               std::to_string(w.nextCreatureId);
    }
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        const Segment& s = c.body.segments()[i];
        problem = firstOf({
            outside("segment x", s.pos.x, -valueLimit, valueLimit),
            outside("segment y", s.pos.y, -valueLimit, valueLimit),
            outside("segment previous x", s.prevPos.x, -valueLimit, valueLimit),
            outside("segment previous y", s.prevPos.y, -valueLimit, valueLimit),
            outside("segment size", s.size, -valueLimit, valueLimit),
            outside("segment reach", s.reach, -valueLimit, valueLimit),
        });
        if (!problem.empty()) return "segment " + std::to_string(i) + ": " + problem;
    }
    return {};
}

} // namespace kanimo
