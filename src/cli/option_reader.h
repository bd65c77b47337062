#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanimo {

// One option as a command line gives it.
struct OptionArgument {
    std::string_view name;
    std::string_view value; // empty for a flag
};

// Reads the option at args[i] and moves i past it: "--name" for a flag; "--name=value",
// or "--name value" when the next argument does not start with "--", for an option that
// takes a value. `takesValue` says which names take one, and gives nothing for a name the
// program does not know. Returns one line saying what is wrong, or an empty string.
std::string readOption(const std::vector<std::string_view>& args, std::size_t& i,
                       const std::function<std::optional<bool>(std::string_view)>& takesValue,
                       OptionArgument& out);

} // namespace kanimo
