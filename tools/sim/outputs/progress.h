#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kanimo {

// One line of the progress bar, without carriage return or newline, e.g.
// "kanimo-sim [#######-----------------------]  25%  250/1000 steps  3 s left".
std::string progressLine(std::uint64_t done, std::uint64_t total, double elapsedSeconds);

// A progress bar redrawn in place on a terminal. It stays silent for the first second,
// so short runs show nothing, and when disabled (not a terminal) it never writes at all.
// It erases itself when finished, leaving the terminal as it found it.
class ProgressBar {
  public:
    ProgressBar(std::uint64_t total, std::FILE* stream, bool enabled);
    ~ProgressBar() { finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Cheap enough to call after every step: it redraws about ten times a second.
    void update(std::uint64_t done);
    // Erases the bar so that other output can be written; the next update redraws it.
    void clear();
    // Erases the bar for good.
    void finish();

  private:
    using Clock = std::chrono::steady_clock;
    std::uint64_t total_;
    std::FILE* stream_;
    bool enabled_;
    bool drawn_ = false;
    Clock::time_point start_;
    Clock::time_point nextDraw_;
};

// True when standard error is a terminal, the only place a progress bar belongs.
bool standardErrorIsTerminal();

} // namespace kanimo
