#include "world/settings_limits.h"

#include <algorithm>
#include <charconv>

namespace kanimo {

namespace {

// A population this big already takes gigabytes.
constexpr double mostCreatures = 1000000;
constexpr double widestWorld = 1000000;
constexpr double anyInt = 2147483647;

// Every creature is made with this size, and keeps it until its first tick.
constexpr double madeSize = 5.0;

// In the save file's order: a change of order here is a change of the file format.
constexpr SettingField fields[] = {
    {"maxCreatureSize", "max_creature_size", &WorldSettings::maxCreatureSize, nullptr, 1, 10000},
    {"baseSpeed", "base_speed", nullptr, &WorldSettings::baseSpeed, 0, 1000},
    {"maxSpeed", "max_speed", nullptr, &WorldSettings::maxSpeed, 0, 1000},
    {"lifespan", "lifespan", &WorldSettings::lifespan, nullptr, 1, anyInt},
    {"limbSizeFactor", "limb_size_factor", nullptr, &WorldSettings::limbSizeFactor, 0, 10},
    {"bounceStep", "bounce_step", nullptr, &WorldSettings::bounceStep, 0, 1000},
    {"maxTurn", "max_turn", &WorldSettings::maxTurn, nullptr, 0, 360},
    {"initialTurn", "initial_turn", &WorldSettings::initialTurn, nullptr, -360, 360},
    {"worldSize", "world_size", &WorldSettings::worldSize, nullptr, 1, widestWorld},
    {"contactRange", "contact_range", &WorldSettings::contactRange, nullptr, 0, anyInt},
    {"initialPopulation", "initial_population", &WorldSettings::initialPopulation, nullptr, 0,
     mostCreatures},
    {"boostBudget", "boost_budget", &WorldSettings::boostBudget, nullptr, 0, anyInt},
    {"refillThreshold", "refill_threshold", &WorldSettings::refillThreshold, nullptr, 0,
     mostCreatures},
    {"refillCount", "refill_count", &WorldSettings::refillCount, nullptr, 0, mostCreatures},
};

std::string number(double v) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

} // namespace

std::span<const SettingField> settingFields() {
    return fields;
}

double largestCreatureSize(const WorldSettings& s) {
    return std::max<double>(s.maxCreatureSize, madeSize);
}

std::string settingsProblem(const WorldSettings& s) {
    for (const SettingField& f : fields) {
        const double v = f.valueIn(s);
        if (!(v >= f.least && v <= f.most)) {
            return std::string(f.name) + " " + number(v) + " is outside " + number(f.least) +
                   " to " + number(f.most);
        }
    }
    // A new creature is moved off each creature already there in turn, and needs a spot
    // farther than the sum of the two reserves from its centre. While that sum is less than
    // half the side, some corner of the world is always that far, so the redraws come to
    // an end.
    const double reach = (s.maxCreatureSize + 15) + (largestCreatureSize(s) + 15) - 2;
    if (reach >= s.worldSize / 2.0) {
        return "a world of side " + std::to_string(s.worldSize) +
               " leaves no room to place creatures of maxCreatureSize " +
               std::to_string(s.maxCreatureSize);
    }
    return {};
}

} // namespace kanimo
