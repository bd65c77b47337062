// kanimo-sim: runs the world without a window, for testing, comparing and measuring.

#include <cstdio>
#include <ctime>
#include <exception>
#include <string_view>
#include <vector>

#include "batch.h"
#include "options.h"
#include "single_run.h"

int main(int argc, char** argv) {
    using namespace kanimo;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kanimo-sim: %s\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = parsed.options;
    if (options.help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }

    // Traces of big worlds are long; a large buffer keeps the writes few.
    static char outputBuffer[1 << 20];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    try {
        if (options.seedsGiven) return runSeedBatch(options, stdout, stderr);
        std::uint32_t seed = options.seed;
        if (!options.seedGiven) {
            // Like the window program, the clock in whole seconds, cut to 32 bits; said
            // aloud so that the run can be repeated with --seed.
            seed = static_cast<std::uint32_t>(std::time(nullptr));
            std::fprintf(stderr, "kanimo-sim: seed %u\n", static_cast<unsigned>(seed));
        }
        return runSingleWorld(options, seed, stdout, stderr);
    } catch (const std::exception& e) {
        // Running out of memory or threads: not a fault of the command line.
        std::fprintf(stderr, "kanimo-sim: %s\n", e.what());
        return 1;
    }
}
