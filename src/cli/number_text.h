#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kanimo {

// Numbers as the programs' command lines take them. Strict, so that a typo never picks
// another world: a whole number is decimal digits only, with no sign, no spaces and nothing
// after it, and `least` to `most`.
bool parseWhole(std::string_view text, std::uint64_t least, std::uint64_t most, std::uint64_t& out);

// A tuning value: for a whole one, digits with an optional minus sign; otherwise a finite
// number in decimal or exponent form. Nothing before or after it.
bool parseSettingValue(std::string_view text, bool whole, double& out);

// "NAME needs a whole number from LEAST to MOST, got 'TEXT'", the text made printable.
std::string wholeRangeError(std::string_view name, std::uint64_t least, std::uint64_t most,
                            std::string_view got);

// The shortest text without an exponent that reads back as the same double.
std::string plainNumber(double value);

} // namespace kanimo
