#pragma once

#include <string>
#include <string_view>

namespace kanimo {

// An argument as a message may echo it: cut to a length that keeps the message one
// readable line ("..." marks the cut), with control characters, backslashes and bytes
// that are not UTF-8 written as escapes (\n, \t, \\, \xNN), so a message can never break
// the line or the terminal.
std::string printable(std::string_view text);

} // namespace kanimo
