#include "outputs/stop_signal.h"

#include <csignal>
#include <ctime>

namespace kanimo {

namespace {

// A lock-free atomic may be stored from a signal handler, and the worker threads of a
// batch can read it without a data race.
std::atomic<std::sig_atomic_t> caught{0};
static_assert(std::atomic<std::sig_atomic_t>::is_always_lock_free);
std::atomic<bool> stopStep{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Sets stopStep when the grace after the first signal is over. timer_settime may be
// called from a signal handler; the timer's own thread, not a second signal, runs the
// notification, so a blocked or ignored SIGALRM cannot keep a step from stopping.
timer_t graceTimer{};
std::atomic<bool> haveGraceTimer{false};

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void endGrace(union sigval) {
    stopStep.store(true);
}

extern "C" void recordSignal(int signal) {
    // The first signal decides how the program ends.
    std::sig_atomic_t none = 0;
    if (!caught.compare_exchange_strong(none, signal)) return;
    if (!haveGraceTimer.load()) {
        stopStep.store(true);
        return;
    }
    struct itimerspec grace {};
    grace.it_value.tv_sec = stepGraceMilliseconds / 1000;
    grace.it_value.tv_nsec = stepGraceMilliseconds % 1000 * 1000000L;
    if (timer_settime(graceTimer, 0, &grace, nullptr) != 0) stopStep.store(true);
}

} // namespace

void catchStopSignals() {
    struct sigevent notify {};
    notify.sigev_notify = SIGEV_THREAD;
    notify.sigev_notify_function = endGrace;
    haveGraceTimer.store(timer_create(CLOCK_MONOTONIC, &notify, &graceTimer) == 0);
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

const std::atomic<bool>* stepStopFlag() {
    return &stopStep;
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
