#pragma once

#include <atomic>
#include <cstdio>
#include <string_view>

namespace kanimo {

// SIGINT, SIGTERM, SIGHUP and SIGPIPE end a run between two steps rather than wherever
// they land, so that no file is left half-written. The handler only records the signal;
// the step loops look at it after every step, keep what is complete, remove the rest
// and then let the signal end the program as it would have, which gives the usual exit
// status (128 + signal number, 141 for a closed pipe).
//
// A step that is still running a moment after the signal (one that would never end, a
// seeding of a million creatures) is stopped where it is: stepStopFlag() is set then, and
// the step, seeding or refill that is given it throws StepStopped.

// Installs the handlers; a signal that was ignored when the program started stays ignored.
void catchStopSignals();

// The signal caught so far, or 0. Safe to call from any thread.
int stopSignal();

// Set stepGrace after the first stop signal: what a step, a seeding or a refill still
// running then gives up on.
const std::atomic<bool>* stepStopFlag();
inline constexpr int stepGraceMilliseconds = 500;

// Prints "kanimo-sim: <line>" to `err`, unless a signal was caught: then the signal is why
// the run ends, and a write it broke (a closed pipe) needs no message of its own.
void reportFailure(std::FILE* err, std::string_view line);

// When a signal was caught, restores its default action and raises it again; does not
// return in that case.
void endByStopSignal();

} // namespace kanimo
