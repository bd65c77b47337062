#include "app/display_check.h"

#include <cstdlib>
#include <string_view>

#include "files/printable.h"

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
    if (isSet(env.display)) line.append(" \"").append(printable(env.display)).append("\"");
    return line + "; " + std::string(advice);
}

// The toolkit names each plugin it tried in quotes (QT_QPA_PLATFORM may list several), and
// ends its fatal message with the plugins it has: "... Available platform plugins are:
// minimal, offscreen, xcb.".
std::string failedStartMessage(const DisplayEnvironment& env,
                               const std::vector<ToolkitMessage>& said) {
    std::string tried;
    std::string available;
    for (const ToolkitMessage& m : said) {
        if (m.category == "qt.qpa.xcb" && m.text.starts_with("could not connect to display")) {
            return unreachableDisplayMessage(env);
        }
        const std::size_t open = m.text.find('"');
        const std::size_t close = m.text.find('"', open + 1);
        if (m.category == "qt.qpa.plugin" && close != std::string::npos) {
            if (!tried.empty()) tried += ", ";
            tried.append("\"")
                .append(printable(m.text.substr(open + 1, close - open - 1)))
                .append("\"");
        }
        constexpr std::string_view listStart = "Available platform plugins are: ";
        const std::size_t list = m.text.find(listStart);
        if (list != std::string::npos) {
            available = m.text.substr(list + listStart.size());
            available = printable(available.substr(0, available.find_first_of(".\n")));
        }
    }
    if (tried.empty() && isSet(env.platform))
        tried.append("\"").append(printable(env.platform)).append("\"");
    std::string line = "kanimo: cannot load the window system's platform plugin";
    if (!tried.empty()) line += " " + tried;
    if (!available.empty()) line += " (available: " + available + ")";
    return line;
}

} // namespace kanimo
