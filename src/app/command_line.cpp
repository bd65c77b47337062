#include "app/command_line.h"

#include <charconv>
#include <system_error>

namespace kanimo {

namespace {

enum class Kind { Flag, Number, Path };

struct OptionInfo {
    std::string_view name;
    Kind kind;
};

constexpr OptionInfo knownOptions[] = {
    {"--help", Kind::Flag},
    {"--version", Kind::Flag},
    {"--seed", Kind::Number},
    {"--load", Kind::Path},
};

const OptionInfo* findOption(std::string_view name) {
    for (const OptionInfo& info : knownOptions) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

// Digits only: from_chars on an unsigned type already refuses signs and spaces, reports a
// value past 32 bits as out of range, and the end check refuses anything after the number.
std::optional<std::uint32_t> parseSeed(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& args) {
    ParsedCommandLine result;
    CommandLine& c = result.commandLine;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg.substr(0, 2) != "--") {
            result.error = "unexpected argument '" + std::string(arg) + "' (see --help)";
            return result;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const OptionInfo* info = findOption(name);
        if (info == nullptr) {
            result.error = "unknown option '" + std::string(name) + "' (see --help)";
            return result;
        }
        if (info->kind == Kind::Flag) {
            if (equals != std::string_view::npos) {
                result.error = std::string(name) + " takes no value";
                return result;
            }
            c.help = name == "--help";
            c.version = name == "--version";
            return result;
        }

        std::string_view value;
        if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size() && args[i + 1].substr(0, 2) != "--") {
            value = args[++i];
        } else {
            result.error = std::string(name) + " needs a value";
            return result;
        }
        if (info->kind == Kind::Path) {
            if (value.empty()) {
                result.error = std::string(name) + " needs a file name";
                return result;
            }
            c.loadPath = std::string(value);
            continue;
        }
        c.seed = parseSeed(value);
        if (!c.seed) {
            result.error = "--seed needs a whole number from 0 to 4294967295, got '" +
                           std::string(value) + "'";
            return result;
        }
    }
    if (c.seed && !c.loadPath.empty()) result.error = "--seed and --load cannot be used together";
    return result;
}

std::string helpText() {
    return "Usage: kanimo [options]\n"
           "Shows the Kanimo world in a window: a population of small swimming creatures\n"
           "that meet, bite, grow, age and multiply.\n"
           "\n"
           "Options:\n"
           "  --seed S     seed the world with S (0 to 4294967295) instead of the clock\n"
           "  --load FILE  run the world saved in FILE by 'kanimo-sim --save' instead\n"
           "  --help       print this help and exit\n"
           "  --version    print the version and exit\n"
           "\n"
           "The seed taken is shown on standard error as the world starts, so that a run\n"
           "can be watched again: as long as no key but Home is pressed, the world after k\n"
           "steps is the one 'kanimo-sim --seed S --steps k' shows. A loaded world goes on\n"
           "as 'kanimo-sim --load FILE' would run it.\n"
           "\n"
           "Keys: W pause or resume, G fast mode, B background, D delete the first creature,\n"
           "Home show the key's code, Esc quit.\n";
}

std::string versionText() {
    return "kanimo " KANIMO_VERSION "\n";
}

} // namespace kanimo
