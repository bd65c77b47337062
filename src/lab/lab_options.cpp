#include "lab/lab_options.h"

#include "cli/number_text.h"
#include "cli/option_reader.h"
#include "cli/world_options.h"

namespace kanimo {

std::string parseLabOptions(const std::vector<std::string_view>& args, LabOptions& out) {
    auto takesValue = [](std::string_view name) -> std::optional<bool> {
        if (name == "--help" || name == "--version") return false;
        if (name == "--seed" || name == "--scale" || name == "--set" || name == "--load") {
            return true;
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size();) {
        OptionArgument arg;
        if (std::string problem = readOption(args, i, takesValue, arg); !problem.empty()) {
            return problem;
        }
        if (arg.name == "--help" || arg.name == "--version") {
            out.help = arg.name == "--help";
            out.version = arg.name == "--version";
            return {};
        }
        if (arg.name == "--load") {
            if (arg.value.empty()) return "--load needs a file name";
            out.loadPath = std::string(arg.value);
        } else if (arg.name == "--seed") {
            std::uint64_t seed = 0;
            if (!parseWhole(arg.value, 0, UINT32_MAX, seed)) {
                return wholeRangeError(arg.name, 0, UINT32_MAX, arg.value);
            }
            out.seed = static_cast<std::uint32_t>(seed);
        } else {
            if (std::string problem = applyWorldOption(arg.name, arg.value, out.settings);
                !problem.empty()) {
                return problem;
            }
            out.settingsGiven = true;
        }
    }
    if (out.seed && !out.loadPath.empty()) return "--seed and --load cannot be used together";
    if (out.settingsGiven && !out.loadPath.empty()) {
        return "--scale and --set cannot be used with --load: a saved world keeps its settings";
    }
    return checkWorldSettings(out.settings, false);
}

std::string labHelpText() {
    return "Usage: kanimo-lab [options]\n"
           "Explores a Kanimo world in a window: zoom and pan over a world of any size,\n"
           "click a creature to inspect it and its family, watch live charts, set the speed,\n"
           "and make, open and save worlds.\n"
           "\n"
           "Options:\n"
           "  --seed S          seed the world with S (0 to 4294967295) instead of the clock\n"
           "  --scale K         a world K times wider (1 to 64) at the same density\n"
           "  --set NAME=VALUE  any tuning constant of the world (see kanimo-sim --help)\n"
           "  --load FILE       open the world saved in FILE (by kanimo-lab or kanimo-sim)\n"
           "  --help            print this help and exit\n"
           "  --version         print the version and exit\n"
           "\n"
           "The world after k steps is the one 'kanimo-sim' computes with the same seed,\n"
           "scale and settings, and a saved world goes on in 'kanimo-sim --load FILE'.\n"
           "\n"
           "Keys: Space run or pause, . one step, + and - zoom, arrows pan, F fit the\n"
           "world, 1 actual size, B background, Esc clear the selection.\n"
           "\n"
           "Settings for --set, with their defaults:\n" +
           settingsHelp();
}

std::string labVersionText() {
    return "kanimo-lab " KANIMO_VERSION "\n";
}

} // namespace kanimo
