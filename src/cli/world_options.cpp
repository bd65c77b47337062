#include "cli/world_options.h"

#include <cstdint>

#include "cli/number_text.h"
#include "files/printable.h"
#include "world/settings_limits.h"

namespace kanimo {

namespace {

// A picture this wide takes more than a gigabyte.
constexpr int widestPicture = 20001;
constexpr int largestScale = 64;

std::string applySet(std::string_view assignment, WorldSettings& settings) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return "--set needs NAME=VALUE, got '" + printable(assignment) + "'";
    }
    const std::string_view name = assignment.substr(0, equals);
    const std::string_view text = assignment.substr(equals + 1);
    for (const SettingField& f : settingFields()) {
        if (f.name != name) continue;
        const bool whole = f.whole != nullptr;
        double value = 0;
        if (!parseSettingValue(text, whole, value) || !(value >= f.least && value <= f.most)) {
            return "--set " + std::string(name) + " needs " +
                   (whole ? "a whole number" : "a number") + " from " + plainNumber(f.least) +
                   " to " + plainNumber(f.most) + ", got '" + printable(text) + "'";
        }
        if (whole) {
            settings.*f.whole = static_cast<std::int32_t>(value);
        } else {
            settings.*f.real = value;
        }
        return {};
    }
    return "--set knows no setting '" + printable(name) + "' (see --help)";
}

std::string applyScale(std::string_view text, WorldSettings& settings) {
    double k = 0;
    if (!parseSettingValue(text, true, k) || k < 1 || k > largestScale) {
        return "--scale needs a whole number from 1 to " + std::to_string(largestScale) +
               ", got '" + printable(text) + "'";
    }
    const WorldSettings scaled = scaledSettings(static_cast<std::int32_t>(k));
    settings.worldSize = scaled.worldSize;
    settings.initialPopulation = scaled.initialPopulation;
    settings.refillThreshold = scaled.refillThreshold;
    settings.refillCount = scaled.refillCount;
    return {};
}

} // namespace

std::string applyWorldOption(std::string_view name, std::string_view value,
                             WorldSettings& settings) {
    if (name == "--scale") return applyScale(value, settings);
    return applySet(value, settings);
}

std::string checkWorldSettings(const WorldSettings& s, bool drawn) {
    if (std::string problem = settingsProblem(s); !problem.empty()) return problem;
    if (drawn && s.worldSize + 1 > widestPicture) {
        return "a world of side " + std::to_string(s.worldSize) + " is too big to draw (at most " +
               std::to_string(widestPicture - 1) + ")";
    }
    return {};
}

std::string settingsHelp() {
    std::string text;
    const WorldSettings defaults;
    for (const SettingField& f : settingFields()) {
        const double value = f.valueIn(defaults);
        std::string line = "  " + std::string(f.name);
        line.resize(22, ' ');
        text += line + plainNumber(value) + "\n";
    }
    return text;
}

} // namespace kanimo
