#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "world/settings.h"

namespace kanimo {

// What kanimo-lab's command line asks for.
struct LabOptions {
    bool help = false;
    bool version = false;
    std::optional<std::uint32_t> seed;
    WorldSettings settings;
    bool settingsGiven = false; // --scale or --set
    std::string loadPath;
};

// Reads the arguments after the program's name. Returns one line saying what is wrong, or
// an empty string.
std::string parseLabOptions(const std::vector<std::string_view>& args, LabOptions& out);

std::string labHelpText();
std::string labVersionText();

} // namespace kanimo
