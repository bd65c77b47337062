#pragma once

// Runs the built kanimo-sim from a shell script, for tests of the whole program.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kanimo::testing {

struct SimResult {
    int status = -1; // the exit status, or -1 when a signal ended the shell
    std::string out;
    std::string err;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An empty directory of its own under the test's temporary directory.
inline std::filesystem::path scratchDir(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("kanimo-sim-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// Runs a shell script in which $sim is the kanimo-sim binary.
inline SimResult runShell(const std::string& script) {
    // One file per test process: ctest runs the tests side by side.
    const std::filesystem::path errPath =
        std::filesystem::path(::testing::TempDir()) /
        ("kanimo-sim-stderr-" + std::to_string(getpid()) + ".txt");
    const std::string command = std::string("sim='") + KANIMO_SIM_PATH + "'; { " + script +
                                "\n} 2>'" + errPath.string() + "'";
    SimResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.out.append(buffer, n);
    }
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.err = readFile(errPath);
    std::filesystem::remove(errPath);
    return result;
}

inline SimResult runSim(const std::string& args) {
    return runShell("\"$sim\" " + args);
}

inline std::vector<std::string> lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

} // namespace kanimo::testing
