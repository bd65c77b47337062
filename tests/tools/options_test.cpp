#include "options/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kanimo {
namespace {

ParsedOptions parse(std::vector<std::string_view> args) {
    return parseOptions(args);
}

TEST(SimOptions, DefaultsWithoutArguments) {
    const ParsedOptions p = parse({});
    ASSERT_EQ(p.error, "");
    EXPECT_FALSE(p.options.seedGiven);
    EXPECT_EQ(p.options.steps, 1000);
    EXPECT_EQ(p.options.jobs, 0);
    EXPECT_EQ(p.options.every, 1);
    EXPECT_FALSE(p.options.trace || p.options.dump || p.options.fast || p.options.bench);
}

TEST(SimOptions, AcceptsEveryOptionInBothSpellings) {
    ParsedOptions p = parse({"--seed", "4294967295", "--steps=0", "--fast", "--trace", "--dump",
                             "--stats", "s.csv", "--bench", "--png=a.png", "--plain", "--frames",
                             "out", "--every", "2147483647"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.seedGiven);
    EXPECT_EQ(p.options.seed, 4294967295u);
    EXPECT_EQ(p.options.steps, 0);
    EXPECT_TRUE(p.options.fast && p.options.trace && p.options.dump && p.options.bench);
    EXPECT_TRUE(p.options.plain);
    EXPECT_EQ(p.options.statsPath, "s.csv");
    EXPECT_EQ(p.options.pngPath, "a.png");
    EXPECT_EQ(p.options.framesDir, "out");
    EXPECT_EQ(p.options.every, 2147483647);

    p = parse({"--seeds", "3-9", "--jobs", "1024", "--steps", "2147483647"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.seedsGiven);
    EXPECT_EQ(p.options.firstSeed, 3u);
    EXPECT_EQ(p.options.lastSeed, 9u);
    EXPECT_EQ(p.options.jobs, 1024);
    EXPECT_EQ(p.options.steps, 2147483647);

    p = parse({"--seeds", "5"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.firstSeed, 5u);
    EXPECT_EQ(p.options.lastSeed, 5u);
}

TEST(SimOptions, RefusesBadInputWithOneLine) {
    const std::string steps = "--steps needs a whole number from 0 to 2147483647, got ";
    const std::string seeds =
        "--seeds needs a range A-B of whole numbers from 0 to 4294967295, got ";
    const struct {
        std::vector<std::string_view> args;
        std::string error;
    } cases[] = {
        {{"--steps", "abc"}, steps + "'abc'"},
        {{"--steps", "-5"}, steps + "'-5'"},
        {{"--steps", "+5"}, steps + "'+5'"},
        {{"--steps", "5x"}, steps + "'5x'"},
        {{"--steps", " 5"}, steps + "' 5'"},
        {{"--steps=2147483648"}, steps + "'2147483648'"},
        {{"--steps", "99999999999999999999999"}, steps + "'99999999999999999999999'"},
        {{"--seed", "4294967296"},
         "--seed needs a whole number from 0 to 4294967295, got '4294967296'"},
        {{"--jobs", "0", "--seeds", "1-2"}, "--jobs needs a whole number from 1 to 1024, got '0'"},
        {{"--every", "0"}, "--every needs a whole number from 1 to 2147483647, got '0'"},
        {{"--steps"}, "--steps needs a value"},
        {{"--steps", "--fast"}, "--steps needs a value"},
        {{"--png="}, "--png needs a non-empty path"},
        {{"--fast=1"}, "--fast takes no value"},
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"-s"}, "unexpected argument '-s' (see --help)"},
        {{"--seeds", "9-3"}, "--seeds range 9-3 ends before it starts"},
        {{"--seeds", "1-"}, seeds + "'1-'"},
        {{"--seeds", "-3"}, seeds + "'-3'"},
        {{"--seeds", "1-2-3"}, seeds + "'1-2-3'"},
        {{"--seeds", "1-2", "--seed", "4"}, "--seed and --seeds cannot be used together"},
        {{"--seeds", "1-2", "--trace"}, "--seeds cannot be combined with --trace"},
        {{"--seeds", "1-2", "--png", "a.png"}, "--seeds cannot be combined with --png"},
        {{"--jobs", "2"}, "--jobs only applies with --seeds"},
        {{"--every", "2"}, "--every only applies with --frames or --video"},
        {{"--plain"}, "--plain only applies with --png, --frames or --video"},
        {{"--fps", "24"}, "--fps and --video-size only apply with --video"},
        {{"--video", "a.mp4", "--video-size", "301"},
         "--video-size needs an even whole number from 2 to 20000, got '301'"},
    };
    for (const auto& c : cases) {
        const ParsedOptions p = parse(c.args);
        EXPECT_EQ(p.error, c.error) << "first argument: " << c.args[0];
        EXPECT_EQ(p.error.find('\n'), std::string::npos);
    }
}

TEST(SimOptions, HelpStopsParsingAndNamesEveryOption) {
    const ParsedOptions p = parse({"--help", "--bogus"});
    EXPECT_EQ(p.error, "");
    EXPECT_TRUE(p.options.help);
    const std::string help = helpText();
    for (const char* name :
         {"--seed ", "--steps", "--fast", "--dump", "--trace", "--stats", "--seeds", "--jobs",
          "--bench", "--png", "--plain", "--frames", "--every", "--help"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
    }
}

} // namespace
} // namespace kanimo
