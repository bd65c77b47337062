#include "outputs/progress.h"

#include <unistd.h>

namespace kanimo {

namespace {

constexpr int barWidth = 30;

} // namespace

std::string progressLine(std::uint64_t done, std::uint64_t total, double elapsedSeconds) {
    if (done > total) done = total;
    const double fraction = total == 0 ? 1.0 : static_cast<double>(done) / total;
    const int filled = static_cast<int>(fraction * barWidth);
    std::string line = "kanimo-sim [";
    line.append(filled, '#');
    line.append(barWidth - filled, '-');
    char tail[96];
    std::snprintf(tail, sizeof tail, "] %3d%%  %llu/%llu steps", static_cast<int>(fraction * 100),
                  static_cast<unsigned long long>(done), static_cast<unsigned long long>(total));
    line += tail;
    if (done > 0 && done < total) {
        const double left = elapsedSeconds * static_cast<double>(total - done) / done;
        std::snprintf(tail, sizeof tail, "  %.0f s left", left);
        line += tail;
    }
    return line;
}

ProgressBar::ProgressBar(std::uint64_t total, std::FILE* stream, bool enabled)
    : total_(total), stream_(stream), enabled_(enabled), start_(Clock::now()),
      nextDraw_(start_ + std::chrono::seconds(1)) {}

void ProgressBar::update(std::uint64_t done) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now < nextDraw_) return;
    nextDraw_ = now + std::chrono::milliseconds(100);
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    // "\033[K" clears what a longer earlier line left behind.
    std::fprintf(stream_, "\r%s\033[K", progressLine(done, total_, elapsed).c_str());
    std::fflush(stream_);
    drawn_ = true;
}

void ProgressBar::clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    drawn_ = false;
}

void ProgressBar::finish() {
    clear();
    enabled_ = false;
}

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace kanimo
