#include "settings_option.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "world/settings_limits.h"

namespace kanimo {

namespace {

// A picture this wide takes more than a gigabyte.
constexpr int widestPicture = 20001;
constexpr int largestScale = 64;

// The shortest text without an exponent that reads back as the same double.
std::string number(double v) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

// A whole number with an optional minus sign, or a finite number in decimal or exponent
// form; nothing before or after it.
bool parseValue(std::string_view text, bool whole, double& out) {
    if (text.empty()) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (whole) {
        std::int64_t v = 0;
        const auto [stop, ec] = std::from_chars(begin, end, v);
        if (ec != std::errc() || stop != end) return false;
        out = static_cast<double>(v);
        return true;
    }
    double v = 0;
    const auto [stop, ec] = std::from_chars(begin, end, v);
    if (ec != std::errc() || stop != end || !std::isfinite(v)) return false;
    out = v;
    return true;
}

std::string applySet(std::string_view assignment, WorldSettings& settings) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return "--set needs NAME=VALUE, got '" + std::string(assignment) + "'";
    }
    const std::string_view name = assignment.substr(0, equals);
    const std::string_view text = assignment.substr(equals + 1);
    for (const SettingField& f : settingFields()) {
        if (f.name != name) continue;
        const bool whole = f.whole != nullptr;
        double value = 0;
        if (!parseValue(text, whole, value) || !(value >= f.least && value <= f.most)) {
            return "--set " + std::string(name) + " needs " +
                   (whole ? "a whole number" : "a number") + " from " + number(f.least) + " to " +
                   number(f.most) + ", got '" + std::string(text) + "'";
        }
        if (whole) {
            settings.*f.whole = static_cast<std::int32_t>(value);
        } else {
            settings.*f.real = value;
        }
        return {};
    }
    return "--set knows no setting '" + std::string(name) + "' (see --help)";
}

std::string applyScale(std::string_view text, WorldSettings& settings) {
    double k = 0;
    if (!parseValue(text, true, k) || k < 1 || k > largestScale) {
        return "--scale needs a whole number from 1 to " + std::to_string(largestScale) +
               ", got '" + std::string(text) + "'";
    }
    // K times wider, K squared times the area: the default world's counts per area.
    const WorldSettings defaults;
    const auto area = static_cast<std::int32_t>(k * k);
    settings.worldSize = defaults.worldSize * static_cast<std::int32_t>(k);
    settings.initialPopulation = defaults.initialPopulation * area;
    settings.refillThreshold = defaults.refillThreshold * area;
    settings.refillCount = defaults.refillCount * area;
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
        const double value = f.whole != nullptr ? defaults.*f.whole : defaults.*f.real;
        std::string line = "  " + std::string(f.name);
        line.resize(22, ' ');
        text += line + number(value) + "\n";
    }
    return text;
}

} // namespace kanimo
