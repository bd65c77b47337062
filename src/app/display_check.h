#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kanimo {

// The environment variables that decide whether a window can be opened at all.
struct DisplayEnvironment {
    const char* platform = nullptr; // QT_QPA_PLATFORM
    const char* display = nullptr;  // DISPLAY
    const char* waylandDisplay = nullptr;
};

DisplayEnvironment currentDisplayEnvironment();

// The one line to print when the program has nowhere to show its window; nothing when it
// has, or when a platform that needs no display was chosen.
std::optional<std::string> missingDisplayMessage(const DisplayEnvironment& env);

// The line to print when a display was named but could not be opened.
std::string unreachableDisplayMessage(const DisplayEnvironment& env);

// A message the toolkit gave while it started.
struct ToolkitMessage {
    std::string category;
    std::string text;
};

// The one line to print when the toolkit could not start, from what it said on the way: a
// display that could not be opened, or a platform plugin that could not be loaded.
std::string failedStartMessage(const DisplayEnvironment& env,
                               const std::vector<ToolkitMessage>& said);

} // namespace kanimo
