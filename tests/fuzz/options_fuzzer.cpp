// Command lines from anyone: kanimo-sim's options, from arguments split at zero bytes. A
// parse gives options or one line, and every world the options set up is one the loader
// takes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "options/options.h"
#include "save/save.h"
#include "world/settings_limits.h"
#include "world/world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kanimo::fuzz::require;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> args;
    for (std::size_t from = 0; from <= input.size() && args.size() < 64;) {
        const std::size_t end = std::min(input.find('\0', from), input.size());
        args.push_back(input.substr(from, end - from));
        from = end + 1;
    }

    const kanimo::ParsedOptions sim = kanimo::parseOptions(args);
    require(sim.error.find('\n') == std::string::npos, "one-line error", sim.error);
    // --help and --version end the parse where they stand: what came before them is not
    // checked, for nothing is run.
    if (sim.error.empty() && !sim.options.help && !sim.options.version) {
        const kanimo::SimOptions& o = sim.options;
        require(kanimo::settingsProblem(o.settings).empty(), "sound settings",
                kanimo::settingsProblem(o.settings));
        require(o.steps >= 0 && o.every >= 1 && o.jobs >= 0, "counts in range");
        // A world saved under any settings the options take loads back.
        const kanimo::World world(o.settings);
        kanimo::World loaded;
        std::vector<kanimo::SaveSection> extra;
        std::string error;
        require(kanimo::loadWorld(kanimo::encodeWorld(world), loaded, extra, error),
                "a world of accepted settings loads", error);
    }

    return 0;
}
