// --set and --scale: what they accept, what they refuse, and a scaled world drawn at its
// own size.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "options/options.h"
#include "runs/single_run.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;

TEST(SettingsOption, SetsEveryFieldAndScalesInOrder) {
    ParsedOptions p = parseOptions({"--set", "baseSpeed=5.5", "--set=maxTurn=0", "--set",
                                    "initialTurn=-360", "--set", "maxSpeed=1e3"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.settings.baseSpeed, 5.5);
    EXPECT_EQ(p.options.settings.maxTurn, 0);
    EXPECT_EQ(p.options.settings.initialTurn, -360);
    EXPECT_EQ(p.options.settings.maxSpeed, 1000.0);

    // A --set after --scale overrides it; --scale overrides a --set before it.
    p = parseOptions({"--set", "refillCount=7", "--scale", "3", "--set", "worldSize=2000"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.settings.worldSize, 2000);
    EXPECT_EQ(p.options.settings.initialPopulation, 55 * 9);
    EXPECT_EQ(p.options.settings.refillThreshold, 15 * 9);
    EXPECT_EQ(p.options.settings.refillCount, 10 * 9);
    EXPECT_EQ(parseOptions({"--scale", "64"}).options.settings.worldSize, 600 * 64);

    const std::string help = helpText();
    for (const char* name :
         {"maxCreatureSize", "baseSpeed", "maxSpeed", "contactRange", "initialPopulation",
          "lifespan", "limbSizeFactor", "bounceStep", "maxTurn", "initialTurn", "worldSize",
          "boostBudget", "refillThreshold", "refillCount", "--set", "--scale"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
    }
    EXPECT_NE(help.find("  limbSizeFactor      0.8\n"), std::string::npos);
}

TEST(SettingsOption, RefusesWithOneLine) {
    const struct {
        std::vector<std::string_view> args;
        std::string error;
    } cases[] = {
        {{"--set", "speed=3"}, "--set knows no setting 'speed' (see --help)"},
        {{"--set", "worldSize"}, "--set needs NAME=VALUE, got 'worldSize'"},
        {{"--set", "worldSize=0"},
         "--set worldSize needs a whole number from 1 to 1000000, got '0'"},
        {{"--set", "worldSize=1000001"},
         "--set worldSize needs a whole number from 1 to 1000000, got '1000001'"},
        {{"--set", "lifespan=1.5"},
         "--set lifespan needs a whole number from 1 to 2147483647, got '1.5'"},
        {{"--set", "baseSpeed=nan"}, "--set baseSpeed needs a number from 0 to 1000, got 'nan'"},
        {{"--set", "baseSpeed=inf"}, "--set baseSpeed needs a number from 0 to 1000, got 'inf'"},
        {{"--set", "baseSpeed= 2"}, "--set baseSpeed needs a number from 0 to 1000, got ' 2'"},
        {{"--set", "bounceStep="}, "--set bounceStep needs a number from 0 to 1000, got ''"},
        {{"--scale", "0"}, "--scale needs a whole number from 1 to 64, got '0'"},
        {{"--scale", "65"}, "--scale needs a whole number from 1 to 64, got '65'"},
        {{"--set", "worldSize=156"},
         "a world of side 156 leaves no room to place creatures of maxCreatureSize 25"},
        {{"--scale", "34", "--png", "a.png"},
         "a world of side 20400 is too big to draw (at most 20000)"},
    };
    for (const auto& c : cases) {
        const ParsedOptions p = parseOptions(c.args);
        EXPECT_EQ(p.error, c.error) << c.args[1];
    }
    EXPECT_EQ(parseOptions({"--set", "worldSize=157"}).error, "");
    EXPECT_EQ(parseOptions({"--scale", "34"}).error, "");
}

// The width and height a PNG file's header gives.
std::pair<int, int> pngSize(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    auto word = [&](int at) {
        return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
    };
    return {word(16), word(20)};
}

TEST(SettingsOption, PicturesAreAsBigAsTheWorld) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kanimo-sim-scaled";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string png = (dir / "end.png").string();
    const ParsedOptions p =
        parseOptions({"--seed", "3", "--scale", "2", "--steps", "2", "--png", png});
    ASSERT_EQ(p.error, "");
    std::FILE* sink = std::tmpfile();
    ASSERT_EQ(runSingleWorld(p.options, sink, sink), 0);
    std::fclose(sink);
    EXPECT_EQ(pngSize(png), std::make_pair(1201, 1201));
}

} // namespace
} // namespace kanimo
