#include "options/options.h"

#include <climits>
#include <cstdint>
#include <utility>

#include "cli/number_text.h"
#include "cli/option_reader.h"
#include "cli/world_options.h"
#include "files/printable.h"
#include "video/video_writer.h"

namespace kanimo {

namespace {

constexpr std::uint64_t maxSeed = UINT32_MAX;
constexpr std::uint64_t maxCount = INT_MAX;

enum class Kind { Flag, Number, Path, Range, World };

struct OptionInfo {
    std::string_view name;
    Kind kind;
};

constexpr OptionInfo knownOptions[] = {
    {"--help", Kind::Flag},         {"--seed", Kind::Number}, {"--steps", Kind::Number},
    {"--fast", Kind::Flag},         {"--dump", Kind::Flag},   {"--trace", Kind::Flag},
    {"--version", Kind::Flag},      {"--stats", Kind::Path},  {"--seeds", Kind::Range},
    {"--jobs", Kind::Number},       {"--bench", Kind::Flag},  {"--png", Kind::Path},
    {"--plain", Kind::Flag},        {"--frames", Kind::Path}, {"--every", Kind::Number},
    {"--save", Kind::Path},         {"--load", Kind::Path},   {"--record", Kind::Path},
    {"--tree", Kind::Path},         {"--plot", Kind::Path},   {"--set", Kind::World},
    {"--scale", Kind::World},       {"--video", Kind::Path},  {"--fps", Kind::Number},
    {"--video-size", Kind::Number}, {"--quiet", Kind::Flag},  {"--population-limit", Kind::Number},
};

constexpr std::uint64_t maxFps = 240;
// Big enough for any world picture; encoders refuse frames past their own limits.
constexpr std::uint64_t maxVideoSide = 20000;

// "A-B", or a lone "A" for a range of one seed.
std::string parseSeedRange(std::string_view text, SimOptions& o) {
    const std::string expected = "--seeds needs a range A-B of whole numbers from 0 to "
                                 "4294967295, got '" +
                                 printable(text) + "'";
    const std::size_t dash = text.find('-');
    const std::string_view first = text.substr(0, dash);
    const std::string_view last = dash == std::string_view::npos ? first : text.substr(dash + 1);
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (!parseWhole(first, 0, maxSeed, a) || !parseWhole(last, 0, maxSeed, b)) return expected;
    if (b < a) return "--seeds range " + printable(text) + " ends before it starts";
    o.seedsGiven = true;
    o.firstSeed = static_cast<std::uint32_t>(a);
    o.lastSeed = static_cast<std::uint32_t>(b);
    return {};
}

std::string applyNumber(std::string_view name, std::string_view value, SimOptions& o) {
    std::uint64_t n = 0;
    if (name == "--seed") {
        if (!parseWhole(value, 0, maxSeed, n)) return wholeRangeError(name, 0, maxSeed, value);
        o.seedGiven = true;
        o.seed = static_cast<std::uint32_t>(n);
    } else if (name == "--steps") {
        if (!parseWhole(value, 0, maxCount, n)) return wholeRangeError(name, 0, maxCount, value);
        o.steps = static_cast<int>(n);
    } else if (name == "--jobs") {
        if (!parseWhole(value, 1, maxJobs, n)) return wholeRangeError(name, 1, maxJobs, value);
        o.jobs = static_cast<int>(n);
    } else if (name == "--every") {
        if (!parseWhole(value, 1, maxCount, n)) return wholeRangeError(name, 1, maxCount, value);
        o.every = static_cast<int>(n);
    } else if (name == "--fps") {
        if (!parseWhole(value, 1, maxFps, n)) return wholeRangeError(name, 1, maxFps, value);
        o.fps = static_cast<int>(n);
    } else if (name == "--video-size") {
        // Encoders take only even sides for the 4:2:0 frames every player reads.
        if (!parseWhole(value, 2, maxVideoSide, n) || n % 2 != 0) {
            return "--video-size needs an even whole number from 2 to " +
                   std::to_string(maxVideoSide) + ", got '" + printable(value) + "'";
        }
        o.videoSize = static_cast<int>(n);
    } else if (name == "--population-limit") {
        if (!parseWhole(value, 1, largestPopulationLimit, n)) {
            return wholeRangeError(name, 1, largestPopulationLimit, value);
        }
        o.populationLimit = static_cast<long long>(n);
    }
    return {};
}

void applyFlag(std::string_view name, SimOptions& o) {
    if (name == "--help") o.help = true;
    if (name == "--version") o.version = true;
    if (name == "--fast") o.fast = true;
    if (name == "--dump") o.dump = true;
    if (name == "--trace") o.trace = true;
    if (name == "--bench") o.bench = true;
    if (name == "--plain") o.plain = true;
    if (name == "--quiet") o.quiet = true;
}

void applyPath(std::string_view name, std::string_view value, SimOptions& o) {
    if (name == "--stats") o.statsPath = value;
    if (name == "--png") o.pngPath = value;
    if (name == "--frames") o.framesDir = value;
    if (name == "--save") o.savePath = value;
    if (name == "--load") o.loadPath = value;
    if (name == "--record") o.recordPath = value;
    if (name == "--tree") o.treePath = value;
    if (name == "--plot") o.plotPath = value;
    if (name == "--video") o.videoPath = value;
}

// A loaded world has its own generator state, and a batch of seeds no single world.
std::string checkSaveAndLoad(const SimOptions& o) {
    if (o.seedGiven && !o.loadPath.empty()) return "--seed and --load cannot be used together";
    if (o.seedsGiven && !o.loadPath.empty()) return "--seeds cannot be combined with --load";
    if (o.seedsGiven && !o.savePath.empty()) return "--seeds cannot be combined with --save";
    return {};
}

// Options that only refine another one, or that a batch of seeds cannot honour, are
// refused rather than silently ignored.
std::string checkCombination(const SimOptions& o, bool jobsGiven, bool everyGiven,
                             bool videoTuned) {
    if (std::string problem = checkSaveAndLoad(o); !problem.empty()) return problem;
    if (o.seedsGiven) {
        if (o.seedGiven) return "--seed and --seeds cannot be used together";
        const std::pair<bool, const char*> perWorld[] = {
            {o.trace, "--trace"},
            {o.dump, "--dump"},
            {!o.statsPath.empty(), "--stats"},
            {!o.pngPath.empty(), "--png"},
            {!o.framesDir.empty(), "--frames"},
            {!o.recordPath.empty(), "--record"},
            {!o.treePath.empty(), "--tree"},
            {!o.plotPath.empty(), "--plot"},
            {!o.videoPath.empty(), "--video"},
        };
        for (const auto& [given, name] : perWorld) {
            if (given) return std::string("--seeds cannot be combined with ") + name;
        }
    }
    if (jobsGiven && !o.seedsGiven) return "--jobs only applies with --seeds";
    if (everyGiven && o.framesDir.empty() && o.videoPath.empty()) {
        return "--every only applies with --frames or --video";
    }
    if (videoTuned && o.videoPath.empty()) return "--fps and --video-size only apply with --video";
    if (o.plain && o.pngPath.empty() && o.framesDir.empty() && o.videoPath.empty()) {
        return "--plain only applies with --png, --frames or --video";
    }
    if (!o.videoPath.empty() && !isVideoPath(o.videoPath)) {
        return "--video needs a file ending in .mp4 (H.264) or .webm (VP9), got '" +
               printable(o.videoPath) + "'";
    }
    return {};
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string_view>& args) {
    ParsedOptions result;
    SimOptions& o = result.options;
    bool jobsGiven = false;
    bool everyGiven = false;
    bool videoTuned = false;
    bool settingsGiven = false;
    for (std::size_t i = 0; i < args.size();) {
        OptionArgument arg;
        const OptionInfo* info = nullptr;
        result.error = readOption(args, i, knownOptions, arg, info);
        if (!result.error.empty()) return result;
        const std::string_view name = arg.name;
        const std::string_view value = arg.value;
        if (info->kind == Kind::Flag) {
            applyFlag(name, o);
            if (o.help || o.version) return result;
            continue;
        }

        switch (info->kind) {
        case Kind::Number:
            result.error = applyNumber(name, value, o);
            jobsGiven = jobsGiven || name == "--jobs";
            everyGiven = everyGiven || name == "--every";
            videoTuned = videoTuned || name == "--fps" || name == "--video-size";
            break;
        case Kind::Range:
            result.error = parseSeedRange(value, o);
            break;
        case Kind::World:
            result.error = applyWorldOption(name, value, o.settings);
            settingsGiven = true;
            break;
        case Kind::Path:
            if (value.empty()) {
                result.error = std::string(name) + " needs a non-empty path";
            } else {
                applyPath(name, value, o);
            }
            break;
        case Kind::Flag:
            break;
        }
        if (!result.error.empty()) return result;
    }
    result.error = checkCombination(o, jobsGiven, everyGiven, videoTuned);
    if (result.error.empty() && settingsGiven && !o.loadPath.empty()) {
        result.error = "--set and --scale cannot be combined with --load: a saved world keeps "
                       "its own settings";
    }
    if (result.error.empty()) {
        result.error = checkWorldSettings(o.settings, drawsPictures(o));
    }
    return result;
}

std::string helpText() {
    return "Usage: kanimo-sim [options]\n"
           "Runs the Kanimo world without a window and reports on it.\n"
           "\n"
           "World:\n"
           "  --seed S         seed the generator with S (0 to 4294967295); without it the\n"
           "                   clock is used and the seed taken is shown on standard error\n"
           "  --steps N        run N world steps (0 to 2147483647, default 1000)\n"
           "  --fast           make each step the fast mode's lone contact pass (no cull,\n"
           "                   no refill)\n"
           "  --set NAME=VALUE set a tuning constant of the world (names and defaults below);\n"
           "                   may be given many times\n"
           "  --scale K        a world K times wider at the same density (1 to 64): side\n"
           "                   600 K, 55 K^2 creatures seeded, 10 K^2 added when 15 K^2 or\n"
           "                   fewer are left; a --set given later still applies\n"
           "  --population-limit N\n"
           "                   end the run with a failure when the world holds more than N\n"
           "                   creatures (1 to 4000000, default 1000000): settings such as\n"
           "                   a short lifespan make a world grow without end\n"
           "  --load FILE      start from the world saved in FILE instead of seeding and\n"
           "                   run N more steps, numbered on from the saved step; the\n"
           "                   states and rows printed are those of the unbroken run from\n"
           "                   the saved step on (not with --seed)\n"
           "\n"
           "Output:\n"
           "  --dump           print the world after the last step (with --trace, which\n"
           "                   ends with that state, nothing more is printed)\n"
           "  --trace          print the world after seeding (step 0) and after every step\n"
           "  --stats FILE     write one CSV row per step, step 0 included: length, living,\n"
           "                   dead, births, deaths, mean size and energy of the living and\n"
           "                   the share of each segment kind among the living's segments\n"
           "                   (drag_share, bite_share, feed_share, propel_share); the\n"
           "                   births of step 0 are the seeded creatures\n"
           "  --png FILE       write the final frame as a PNG of worldSize + 1 pixels square\n"
           "  --frames DIR     write a frame every K steps, step 0 included, to\n"
           "                   DIR/frame-<step>.png, the step number in at least 6 digits\n"
           "                   (frame-000000.png, frame-000010.png, ...); DIR and its\n"
           "                   parents are made when missing\n"
           "  --video FILE     encode the frames --frames would write into a video: H.264\n"
           "                   for FILE.mp4, VP9 for FILE.webm; the frame is the world's\n"
           "                   picture without its odd last row and column\n"
           "  --fps F          the video's frames per second (1 to 240, default 30)\n"
           "  --video-size W   scale the video down to W pixels square (W even)\n"
           "  --every K        the K of --frames and --video (1 to 2147483647, default 1)\n"
           "  --plain          draw pictures on the plain background\n"
           "  --save FILE      save the whole world after the last step, exactly, for\n"
           "                   --load to go on from\n"
           "  --record FILE    write an SQLite database of the run: tables runs (seed,\n"
           "                   steps, version, every tuning value), creatures (id,\n"
           "                   parent, generation, birth, death and its cause, genome,\n"
           "                   segments by kind) and steps (the columns of --stats)\n"
           "  --tree FILE      write the family tree of the creatures alive at the end, back\n"
           "                   to their founders, in Newick form: creatures named c<id>,\n"
           "                   branch lengths in steps\n"
           "  --plot FILE      write an SVG chart of the run: the living and the dead,\n"
           "                   births and deaths, and the share of each segment kind\n"
           "  --bench          time the run; the last line of standard output is\n"
           "                   'steps_per_second <value> us_per_step <value>'\n"
           "  --quiet          no progress bar and no closing summary; without it, a run\n"
           "                   on a terminal shows a progress bar after a second, and a\n"
           "                   run that prints nothing on standard output ends with one\n"
           "                   line on standard error: 'kanimo-sim: ran <n> steps to step\n"
           "                   <k>: <n> living, <n> dead; <n> births, <n> deaths; seed <S>',\n"
           "                   births and deaths summed over the steps run\n"
           "\n"
           "Many worlds:\n"
           "  --seeds A-B      run the worlds of seeds A to B (or a lone seed A) and print\n"
           "                   one line per seed, in seed order: 'seed <S> length <n>\n"
           "                   living <n> births <n> deaths <n> steps_per_second <v>',\n"
           "                   births and deaths summed over the steps\n"
           "  --jobs J         run J worlds at a time (1 to 1024, default: one per\n"
           "                   hardware thread)\n"
           "\n"
           "  --help           show this text\n"
           "  --version        show the version\n"
           "\n"
           "A state printed by --dump or --trace is a header line\n"
           "  step <k> population <population> length <list length> budget <boostBudget> "
           "rng <L> <H>\n"
           "then one line per creature, in list order:\n"
           "  <i> <x> <y> <heading> <swing> <size> <energy> <growth> <speed> <turnRate>\n"
           "  <turnDrive> <lifeLeft> <phase> <partner> <hasReproduced> <doomed> <segments>\n"
           "  <sx> <sy>\n"
           "with doubles in %.17g form, <partner> the partner's index or -1, and <sx> <sy>\n"
           "the sums of the segment positions in limb order.\n"
           "\n"
           "World settings for --set, with their defaults:\n" +
           settingsHelp() +
           "\n"
           "Every file is written to a temporary file beside it and renamed into place\n"
           "when complete; another user's link, pipe or device in a shared sticky folder\n"
           "is refused, and a file replaced keeps its permissions. Bad options, and\n"
           "outputs that cannot be created, end the program with status 2 before the run\n"
           "starts; a failure later on (a full disk, no memory or threads left, a world\n"
           "past --population-limit) ends it with status 1. SIGINT, SIGTERM, SIGHUP and\n"
           "SIGPIPE (standard output closed) end the run after the current step, or stop a\n"
           "step still running half a second later: files the run has finished stay, the\n"
           "others are removed, --save saves the world of the last finished step, and the\n"
           "exit status is 128 + the signal's number.\n";
}

bool drawsPictures(const SimOptions& o) {
    return !o.pngPath.empty() || !o.framesDir.empty() || !o.videoPath.empty();
}

std::string versionText() {
    return "kanimo-sim " KANIMO_VERSION "\n";
}

} // namespace kanimo
