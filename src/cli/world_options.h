#pragma once

#include <string>
#include <string_view>

#include "world/settings.h"

namespace kanimo {

// kanimo-sim's options that change the world's tuning constants. `name` is "--set", whose
// value is NAME=VALUE with NAME a field of WorldSettings, or "--scale", whose value K
// (1 to 64) makes the world K times wider at the same density. Returns one line saying
// what is wrong, or nothing.
std::string applyWorldOption(std::string_view name, std::string_view value,
                             WorldSettings& settings);

// What no single value shows: a world too small for a new creature to find a free spot,
// or, when it is to be drawn, too big for a picture. One line, or nothing. A loaded world
// is held to the same.
std::string checkWorldSettings(const WorldSettings& settings, bool drawn);

// The --help lines of the names --set takes, with their defaults.
std::string settingsHelp();

} // namespace kanimo
