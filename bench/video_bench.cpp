#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "options/options.h"
#include "runs/single_run.h"

namespace kanimo {
namespace {

namespace fs = std::filesystem;

// Wall-clock seconds of one kanimo-sim run as the command line `args` asks for it; the
// encoder works on threads of its own, so the run's thread time would leave it out.
double runSeconds(const std::vector<std::string_view>& args) {
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty()) return -1;
    std::FILE* null = std::fopen("/dev/null", "w");
    const auto start = std::chrono::steady_clock::now();
    const int status = runSingleWorld(parsed.options, null, null);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fclose(null);
    return status == 0 ? seconds : -1;
}

// A world of side 600 run for 3,000 steps with a picture every 2 steps: alone, writing the
// 1,501 frames as PNG files, and encoding them into a video. The counters are the seconds
// of each and the video's time over the other two.
void BM_VideoAgainstRun(benchmark::State& state, const char* extension) {
    const fs::path dir = fs::temp_directory_path() / "kanimo-video-bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string frames = (dir / "frames").string();
    const std::string video = (dir / ("run" + std::string(extension))).string();
    double plain = 0, pictures = 0, encoded = 0;
    for (auto _ : state) {
        plain = runSeconds({"--seed", "7", "--steps", "3000", "--quiet"});
        pictures = runSeconds(
            {"--seed", "7", "--steps", "3000", "--quiet", "--every", "2", "--frames", frames});
        encoded = runSeconds(
            {"--seed", "7", "--steps", "3000", "--quiet", "--every", "2", "--video", video});
    }
    if (plain < 0 || pictures < 0 || encoded < 0) state.SkipWithError("a run failed");
    state.counters["run_s"] = plain;
    state.counters["frames_s"] = pictures;
    state.counters["video_s"] = encoded;
    state.counters["video_over_run"] = encoded / plain;
    state.counters["video_over_frames"] = encoded / pictures;
    state.counters["video_MB"] = static_cast<double>(fs::file_size(video)) / 1e6;
    fs::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_VideoAgainstRun, h264, ".mp4")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_VideoAgainstRun, vp9, ".webm")->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace kanimo
