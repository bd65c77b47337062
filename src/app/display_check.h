#pragma once

#include <optional>
#include <string>

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

} // namespace kanimo
