#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanimo {

// What one invocation of the window program asks for. Without options it shows the window
// with a world seeded from the clock.
struct CommandLine {
    bool help = false;
    bool version = false;
    std::optional<std::uint32_t> seed;
    std::string loadPath; // a world saved by kanimo-sim --save, shown instead of a new one
};

struct ParsedCommandLine {
    CommandLine commandLine;
    std::string error; // one line without the program name; empty when the command line is good
};

// Parses the arguments after the program name. "--seed 5" and "--seed=5" are both
// accepted; the seed is strict: decimal digits only, no sign, no spaces, nothing after.
// A loaded world has no seed to take, so --seed and --load exclude each other.
// --help and --version end the parsing, so whatever follows them is not looked at.
ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& args);

// The --help and --version texts, each ending with a newline.
std::string helpText();
std::string versionText();

} // namespace kanimo
