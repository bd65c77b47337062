#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "output_paths.h"
#include "progress.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;

TEST(OutputPaths, FramesAreNamedByStep) {
    EXPECT_EQ(framePath("out", 0), "out/frame-000000.png");
    EXPECT_EQ(framePath("out/", 250), "out/frame-000250.png");
    EXPECT_EQ(framePath("/tmp/a", 1234567), "/tmp/a/frame-1234567.png");
}

TEST(OutputPaths, UnusablePathsAreNamed) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kanimo-output-paths";
    fs::create_directories(dir);
    const std::string file = (dir / "file.png").string();
    std::ofstream(file) << "x";

    EXPECT_EQ(checkWritableFile(file), "");
    EXPECT_EQ(checkWritableFile((dir / "new.png").string()), "");
    EXPECT_EQ(checkWritableDirectory(dir.string()), "");

    const std::string missing = (dir / "missing" / "x.png").string();
    EXPECT_NE(checkWritableFile(missing).find("'" + missing + "'"), std::string::npos);
    EXPECT_NE(checkWritableFile(dir.string()).find("is a directory"), std::string::npos);
    EXPECT_NE(checkWritableFile(file + "/x.png").find("not a directory"), std::string::npos);
    EXPECT_NE(checkWritableDirectory(file).find("not a directory"), std::string::npos);
    EXPECT_NE(checkWritableDirectory((dir / "missing").string()), "");
    fs::remove_all(dir);
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
