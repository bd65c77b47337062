#include "app/program.h"

#include <cstdio>
#include <memory>

#include "app/construct.h"
#include "app/display_check.h"
#include "app/shell.h"
#include "app/toolkit.h"

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

int runProgram(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "kanimo: unexpected argument \"%s\"; kanimo takes no arguments\n",
                     argv[1]);
        return 2;
    }
    if (const auto message = missingDisplayMessage(currentDisplayEnvironment())) {
        std::fprintf(stderr, "%s\n", message->c_str());
        return 1;
    }

    Shell shell; // holds the off-screen picture, created before anything of the window
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
