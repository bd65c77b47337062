#include "app/display_check.h"

#include <cstdlib>
#include <string_view>

namespace kanimo {

namespace {

bool isSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

constexpr std::string_view advice =
    "run it on a desktop, or under a virtual one: xvfb-run -a kanimo";

} // namespace

DisplayEnvironment currentDisplayEnvironment() {
    DisplayEnvironment env;
    env.platform = std::getenv("QT_QPA_PLATFORM");
    env.display = std::getenv("DISPLAY");
    env.waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return env;
}

std::optional<std::string> missingDisplayMessage(const DisplayEnvironment& env) {
    // Other platforms (offscreen, vnc, ...) bring their own surface.
    const bool desktopPlatform = !isSet(env.platform) || std::string_view(env.platform) == "xcb";
    if (!desktopPlatform || isSet(env.display) || isSet(env.waylandDisplay)) return std::nullopt;
    return "kanimo: no display found; " + std::string(advice);
}

std::string unreachableDisplayMessage(const DisplayEnvironment& env) {
    std::string line = "kanimo: cannot open the display";
    if (isSet(env.display)) line += " \"" + std::string(env.display) + "\"";
    return line + "; " + std::string(advice);
}

} // namespace kanimo
