#include "app/program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/construct.h"
#include "app/display_check.h"
#include "app/shell.h"
#include "app/toolkit.h"
#include "files/printable.h"
#include "save/save.h"

namespace kanimo {

std::string startupErrorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "";
    }
}

namespace {

// The window's layout has room for a world of the usual side only.
bool loadWindowWorld(const std::string& path, World& world, std::string& reason) {
    if (!loadWorldFile(path, world, reason)) return false;
    const WorldSettings usual;
    if (world.settings.worldSize == usual.worldSize) return true;
    reason = "the window shows worlds of side " + std::to_string(usual.worldSize) +
             " only; this one has side " + std::to_string(world.settings.worldSize);
    return false;
}

// A help or version text that did not reach its reader is a failure: "kanimo --help > /dev/full"
// must not report success.
int printToStandardOutput(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kanimo: cannot write to standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace

int runProgram(int argc, char** argv) {
    const ParsedCommandLine parsed =
        parseCommandLine(std::vector<std::string_view>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kanimo: %s\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.commandLine.help) return printToStandardOutput(helpText());
    if (parsed.commandLine.version) return printToStandardOutput(versionText());

    Shell shell; // holds the off-screen picture, created before anything of the window
    shell.seed = parsed.commandLine.seed;
    if (!parsed.commandLine.loadPath.empty()) {
        const std::string& path = parsed.commandLine.loadPath;
        std::string reason;
        if (!loadWindowWorld(path, shell.world, reason)) {
            std::fprintf(stderr, "kanimo: cannot load '%s': %s\n", printable(path).c_str(),
                         reason.c_str());
            return 2;
        }
        shell.worldLoaded = true;
        std::fprintf(stderr, "kanimo: loaded '%s' at step %lld\n", printable(path).c_str(),
                     static_cast<long long>(shell.world.stepCount));
    }
    if (const auto message = missingDisplayMessage(currentDisplayEnvironment())) {
        std::fprintf(stderr, "%s\n", message->c_str());
        return 1;
    }

    std::unique_ptr<Application> application;
    try {
        application = createApplication();
    } catch (...) {
        // Without an application there is no box to show the failure in.
        std::fprintf(stderr, "kanimo: %s\n", startupErrorMessage(std::current_exception()).c_str());
        return 1;
    }
    try {
        Tconstruct construct(shell);
        construct.show();
        application->runEventLoop();
    } catch (...) {
        showExceptionBox(startupErrorMessage(std::current_exception()));
    }
    return 0;
}

} // namespace kanimo
