#include "outputs/stop_signal.h"

#include <atomic>
#include <csignal>

namespace kanimo {

namespace {

// A lock-free atomic may be stored from a signal handler, and the worker threads of a
// batch can read it without a data race.
std::atomic<std::sig_atomic_t> caught{0};
static_assert(std::atomic<std::sig_atomic_t>::is_always_lock_free);

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void recordSignal(int signal) {
    // The first signal decides how the program ends.
    std::sig_atomic_t none = 0;
    caught.compare_exchange_strong(none, signal);
}

} // namespace

void catchStopSignals() {
    for (const int signal : stopSignals) {
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = recordSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

int stopSignal() {
    return caught.load();
}

void reportFailure(std::FILE* err, std::string_view line) {
    if (stopSignal() != 0) return;
    std::fprintf(err, "kanimo-sim: %.*s\n", static_cast<int>(line.size()), line.data());
}

void endByStopSignal() {
    const int signal = caught.load();
    if (signal == 0) return;
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
}

} // namespace kanimo
