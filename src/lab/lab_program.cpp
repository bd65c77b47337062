#include "lab/lab_program.h"

#include <QApplication>
#include <QIcon>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lab/lab_options.h"
#include "lab/lab_window.h"

namespace kanimo {

namespace {

int printToStandardOutput(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kanimo-lab: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

bool set(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
}

// The toolkit would print several lines and abort without a display; one line is enough.
bool haveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0' && std::string_view(platform) != "xcb" &&
        std::string_view(platform) != "wayland") {
        return true; // offscreen, vnc, ...: no display needed
    }
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

// Toolkit chatter (fonts, input methods) is not for the user's terminal. A toolkit that
// cannot start says so in several lines and aborts; one line and a plain exit say enough.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) return;
    const char* display = std::getenv("DISPLAY");
    if (message.contains("platform plugin")) {
        std::fprintf(stderr, "kanimo-lab: cannot open the display '%s'\n",
                     display != nullptr ? display : "");
    } else {
        std::fprintf(stderr, "kanimo-lab: %s\n",
                     message.section('\n', 0, 0).toLocal8Bit().constData());
    }
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int runLab(int argc, char** argv) {
    LabOptions options;
    const std::string problem =
        parseLabOptions(std::vector<std::string_view>(argv + 1, argv + argc), options);
    if (!problem.empty()) {
        std::fprintf(stderr, "kanimo-lab: %s\n", problem.c_str());
        return 2;
    }
    if (options.help) return printToStandardOutput(labHelpText());
    if (options.version) return printToStandardOutput(labVersionText());

    auto world = std::make_unique<LabWorld>(options.settings);
    if (!options.loadPath.empty()) {
        if (std::string failed = world->load(options.loadPath); !failed.empty()) {
            std::fprintf(stderr, "kanimo-lab: %s\n", failed.c_str());
            return 2;
        }
    } else {
        std::uint32_t seed = 0;
        if (options.seed) {
            seed = *options.seed;
        } else {
            seed = static_cast<std::uint32_t>(std::time(nullptr));
            std::fprintf(stderr, "kanimo-lab: seed %u\n", static_cast<unsigned>(seed));
        }
        world->seed(seed);
    }
    if (!haveDisplay()) {
        std::fprintf(stderr, "kanimo-lab: no display to show the window on (DISPLAY is not set)\n");
        return 1;
    }

    qInstallMessageHandler(quietMessages);
    QApplication::setOrganizationName("Kanimo");
    QApplication::setApplicationName("Kanimo Lab");
    QApplication::setDesktopFileName("kanimo-lab");
    QApplication app(argc, argv);
    LabWindow window(std::move(world), QString::fromStdString(options.loadPath));
    window.show();
    return app.exec();
}

} // namespace kanimo
