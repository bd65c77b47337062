#pragma once

#include <exception>
#include <string>

namespace kanimo {

// The whole program: reads the command line (help and version need no display), checks
// that a window can be shown, creates the off-screen picture, the application and the main
// window, and runs the event loop until the window is closed.
int runProgram(int argc, char** argv);

// What the standard box shows for an exception that escaped start-up: its message, or
// nothing for a thrown value that is not an exception.
std::string startupErrorMessage(const std::exception_ptr& error);

} // namespace kanimo
