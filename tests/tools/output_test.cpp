#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "files/output_file.h"
#include "files/printable.h"
#include "options/output_paths.h"
#include "outputs/progress.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;

TEST(OutputPaths, FramesAreNamedByStep) {
    EXPECT_EQ(framePath("out", 0), "out/frame-000000.png");
    EXPECT_EQ(framePath("out/", 250), "out/frame-000250.png");
    EXPECT_EQ(framePath("/tmp/a", 1234567), "/tmp/a/frame-1234567.png");
}

TEST(OutputFile, UnusablePathsAreNamedAndLeaveNothingBehind) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kanimo-output-paths";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "file.png").string();
    std::ofstream(file) << "x";

    for (const std::string& usable : {file, (dir / "new.png").string()}) {
        OutputFile output;
        EXPECT_EQ(output.open(usable), "") << usable;
    }
    const std::string missing = (dir / "missing" / "x.png").string();
    const std::pair<std::string, const char*> unusable[] = {
        {missing, "No such file or directory"},
        {dir.string(), "Is a directory"},
        {file + "/x.png", "Not a directory"},
    };
    for (const auto& [path, reason] : unusable) {
        OutputFile output;
        EXPECT_EQ(output.open(path), "cannot write '" + path + "': " + reason);
    }
    // Nothing was committed: the old file is as it was, and no temporary file is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(std::ifstream(file).get(), 'x');
    fs::remove_all(dir);
}

TEST(Printable, KeepsAMessageOneReadableLine) {
    const std::string hundred(100, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"out/x.png", "out/x.png"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x90\x9F", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x90\x9F"},
        {"a\nb\tc\\", "a\\nb\\tc\\\\"},
        {"\x1B[31m\x7F", "\\x1B[31m\\x7F"},
        {"\xC2\x85", "\\xC2\\x85"},                   // U+0085, a control character
        {"\xC3", "\\xC3"},                            // cut short
        {"\xC0\xAF", "\\xC0\\xAF"},                   // overlong '/'
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},          // a surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"}, // above U+10FFFF
        {hundred, hundred},
        {hundred + "b", hundred + "..."},
        {std::string(99, 'a') + "\xC3\xA9\xC3\xA9", std::string(99, 'a') + "\xC3\xA9..."},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(printable(text), shown) << text;
}

TEST(Progress, LineShowsShareAndTimeLeft) {
    EXPECT_EQ(progressLine(0, 200, 0.0),
              "kanimo-sim [------------------------------]   0%  0/200 steps");
    EXPECT_EQ(progressLine(50, 200, 2.0),
              "kanimo-sim [#######-----------------------]  25%  50/200 steps  6 s left");
    EXPECT_EQ(progressLine(200, 200, 9.0),
              "kanimo-sim [##############################] 100%  200/200 steps");
    EXPECT_EQ(progressLine(0, 0, 0.0), progressLine(5, 0, 0.0));
}

TEST(Progress, SilentWhenDisabledOrShort) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    {
        ProgressBar disabled(10, sink, false);
        ProgressBar quick(10, sink, true); // finishes well within its first second
        for (int i = 0; i <= 10; ++i) {
            disabled.update(i);
            quick.update(i);
        }
    }
    EXPECT_EQ(std::ftell(sink), 0);
    std::fclose(sink);
}

} // namespace
} // namespace kanimo
