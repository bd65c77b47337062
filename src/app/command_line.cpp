#include "app/command_line.h"

#include <cstdint>

#include "cli/number_text.h"
#include "cli/option_reader.h"

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

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& args) {
    ParsedCommandLine result;
    CommandLine& c = result.commandLine;
    for (std::size_t i = 0; i < args.size();) {
        OptionArgument arg;
        const OptionInfo* info = nullptr;
        result.error = readOption(args, i, knownOptions, arg, info);
        if (!result.error.empty()) return result;
        if (info->kind == Kind::Flag) {
            c.help = arg.name == "--help";
            c.version = arg.name == "--version";
            return result;
        }
        if (info->kind == Kind::Path) {
            if (arg.value.empty()) {
                result.error = std::string(arg.name) + " needs a file name";
                return result;
            }
            c.loadPath = std::string(arg.value);
            continue;
        }
        std::uint64_t seed = 0;
        if (!parseWhole(arg.value, 0, UINT32_MAX, seed)) {
            result.error = wholeRangeError(arg.name, 0, UINT32_MAX, arg.value);
            return result;
        }
        c.seed = static_cast<std::uint32_t>(seed);
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
