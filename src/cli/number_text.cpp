#include "cli/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "files/printable.h"

namespace kanimo {

// from_chars on an unsigned type already refuses signs and spaces, and the end check
// refuses anything after the number.
bool parseWhole(std::string_view text, std::uint64_t least, std::uint64_t most,
                std::uint64_t& out) {
    if (text.empty()) return false;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (value < least || value > most) return false;
    out = value;
    return true;
}

bool parseSettingValue(std::string_view text, bool whole, double& out) {
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

std::string wholeRangeError(std::string_view name, std::uint64_t least, std::uint64_t most,
                            std::string_view got) {
    return std::string(name) + " needs a whole number from " + std::to_string(least) + " to " +
           std::to_string(most) + ", got '" + printable(got) + "'";
}

std::string plainNumber(double value) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

} // namespace kanimo
