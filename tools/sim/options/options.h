#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "world/settings.h"

namespace kanimo {

// As many creatures as a save file may hold; far beyond any world that sound settings make
// (a scale-64 world holds about a quarter of a million), and a few gigabytes of memory.
inline constexpr long long defaultSimPopulationLimit = 1000000;
inline constexpr long long largestPopulationLimit = 4000000;

// What one invocation of kanimo-sim asks for. Defaults are those of a plain run.
struct SimOptions {
    bool help = false;
    bool version = false;
    bool seedGiven = false;
    std::uint32_t seed = 0;
    int steps = 1000;
    bool fast = false;
    bool dump = false;
    bool trace = false;
    std::string statsPath;
    bool seedsGiven = false;
    std::uint32_t firstSeed = 0;
    std::uint32_t lastSeed = 0;
    int jobs = 0; // 0: one per hardware thread
    bool bench = false;
    std::string pngPath;
    bool plain = false;
    std::string framesDir;
    int every = 1;
    std::string savePath; // the world after the last step, to go on from with --load
    std::string loadPath; // a saved world to start from instead of seeding
    std::string recordPath;
    std::string treePath;
    std::string plotPath;
    std::string videoPath; // the frames --frames would write, as one video
    int fps = 30;
    int videoSize = 0;  // the video's side; 0: the world picture's, made even
    bool quiet = false; // no progress bar and no closing summary
    // A world with more creatures than this has exploded: the run ends with a failure.
    long long populationLimit = defaultSimPopulationLimit;
    WorldSettings settings; // as --set and --scale leave them
};

struct ParsedOptions {
    SimOptions options;
    std::string error; // one line without the program name; empty when the command line is good
};

inline constexpr int maxJobs = 1024;

// Parses the arguments after the program name. Numbers are strict: decimal digits only,
// no sign, no spaces, nothing after them. Both "--steps 5" and "--steps=5" are accepted.
ParsedOptions parseOptions(const std::vector<std::string_view>& args);

// Whether the run draws the world: --png, --frames or --video.
bool drawsPictures(const SimOptions& options);

// The --help text, ending with a newline.
std::string helpText();
// The --version text, "kanimo-sim <version>" and a newline.
std::string versionText();

} // namespace kanimo
