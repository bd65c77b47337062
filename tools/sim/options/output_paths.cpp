#include "options/output_paths.h"

#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

#include "files/output_file.h"
#include "files/printable.h"
#include "options/options.h"

namespace kanimo {

namespace {

std::string frameName(long long step) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06lld.png", step);
    return name;
}

// True when --frames writes a file of this name in its directory.
bool isFrameWritten(std::string_view name, const SimOptions& o) {
    constexpr std::string_view prefix = "frame-";
    constexpr std::string_view suffix = ".png";
    if (name.size() <= prefix.size() + suffix.size() || name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - suffix.size()) != suffix) {
        return false;
    }
    const std::string_view digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    long long step = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), step);
    if (ec != std::errc() || end != digits.data() + digits.size()) return false;
    // A loaded world's steps go on from its saved step, which is not known yet.
    const bool inRun = step <= o.steps || !o.loadPath.empty();
    return step >= 0 && inRun && step % o.every == 0 && frameName(step) == name;
}

struct FileOutput {
    const char* option;
    const std::string& path;
    std::string landing;
};

} // namespace

std::string framePath(const std::string& dir, long long step) {
    if (!dir.empty() && dir.back() == '/') return dir + frameName(step);
    return dir + "/" + frameName(step);
}

std::string sharedOutputPath(const SimOptions& o) {
    std::vector<FileOutput> files;
    if (!o.statsPath.empty()) files.push_back({"--stats", o.statsPath, landingPath(o.statsPath)});
    if (!o.pngPath.empty()) files.push_back({"--png", o.pngPath, landingPath(o.pngPath)});
    if (!o.savePath.empty()) files.push_back({"--save", o.savePath, landingPath(o.savePath)});
    if (!o.recordPath.empty()) {
        files.push_back({"--record", o.recordPath, landingPath(o.recordPath)});
    }
    if (!o.treePath.empty()) files.push_back({"--tree", o.treePath, landingPath(o.treePath)});
    if (!o.plotPath.empty()) files.push_back({"--plot", o.plotPath, landingPath(o.plotPath)});
    if (!o.videoPath.empty()) {
        files.push_back({"--video", o.videoPath, landingPath(o.videoPath)});
    }
    const auto clash = [](const FileOutput& file, const char* other) {
        std::string line = std::string(file.option) + " and " + other + " both write '";
        line += printable(file.path);
        line += '\'';
        return line;
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (files[i].landing == files[j].landing) return clash(files[i], files[j].option);
        }
    }
    // An output on the file the run starts from would replace it; --save may, to go on
    // saving a run in one file, since the file is read whole before anything is written.
    if (!o.loadPath.empty()) {
        const std::string loaded = landingPath(o.loadPath);
        for (const FileOutput& file : files) {
            if (file.landing == loaded && std::string_view(file.option) != "--save") {
                return std::string(file.option) + " would replace the --load file '" +
                       printable(file.path) + "'";
            }
        }
    }
    if (o.framesDir.empty()) return {};
    const std::string framesLanding = landingPath(o.framesDir);
    for (const FileOutput& file : files) {
        const std::size_t slash = file.landing.find_last_of('/');
        if (slash == std::string::npos) continue;
        const std::string dir = slash == 0 ? "/" : file.landing.substr(0, slash);
        if (dir == framesLanding && isFrameWritten(file.landing.substr(slash + 1), o)) {
            return clash(file, "--frames");
        }
    }
    return {};
}

} // namespace kanimo
