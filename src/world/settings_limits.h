#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "world/settings.h"

namespace kanimo {

// One tuning constant of a world, by name, with the values a sound world takes: the
// bounds keep a run within memory and time, and keep every later step well defined. Its
// default is the value a WorldSettings is made with.
struct SettingField {
    std::string_view name;              // as --set and the save file's messages name it
    std::string_view column;            // the record's column
    std::int32_t WorldSettings::*whole; // one of the two is set
    double WorldSettings::*real;
    double least;
    double most;

    double valueIn(const WorldSettings& s) const { return whole != nullptr ? s.*whole : s.*real; }
};

// Every tuning constant, in the order a save file holds them: what --set and --help offer,
// what the save format checks and what the record's runs table keeps all come from here.
std::span<const SettingField> settingFields();

// One line naming the first setting outside its bounds (NaN included), or saying that the
// world is too small for a new creature to find a free spot; empty for a sound world.
std::string settingsProblem(const WorldSettings& settings);

// The largest size a creature of a sound world has: the larger of maxCreatureSize and the
// size every creature is made with.
double largestCreatureSize(const WorldSettings& settings);

} // namespace kanimo
