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

// The entry of a program's table of options with that name, or null. An entry has a `name`
// and a `kind`, whose value `Flag` takes no value.
template <class Info, std::size_t N>
const Info* findOption(const Info (&known)[N], std::string_view name) {
    for (const Info& info : known) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

// readOption with the options of such a table; `info` is then the option's entry.
template <class Info, std::size_t N>
std::string readOption(const std::vector<std::string_view>& args, std::size_t& i,
                       const Info (&known)[N], OptionArgument& out, const Info*& info) {
    std::string error = readOption(
        args, i,
        [&](std::string_view name) -> std::optional<bool> {
            const Info* entry = findOption(known, name);
            if (entry == nullptr) return std::nullopt;
            return entry->kind != decltype(entry->kind)::Flag;
        },
        out);
    info = error.empty() ? findOption(known, out.name) : nullptr;
    return error;
}

} // namespace kanimo
