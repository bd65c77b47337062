#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "world/settings.h"

namespace kanimo {

// One tuning constant of a world, by name, with the values a sound world takes: the
// bounds keep a run within memory and time, and keep every later step well defined.
struct SettingField {
    std::string_view name;
    std::int32_t WorldSettings::*whole; // one of the two is set
    double WorldSettings::*real;
    double least;
    double most;
};

std::span<const SettingField> settingFields();

// One line naming the first setting outside its bounds (NaN included), or saying that the
// world is too small for a new creature to find a free spot; empty for a sound world.
std::string settingsProblem(const WorldSettings& settings);

// The largest size a creature of a sound world has: the larger of maxCreatureSize and the
// size every creature is made with.
double largestCreatureSize(const WorldSettings& settings);

} // namespace kanimo
