#include <QTimer>

#include "app/timer_period.h"
#include "app/toolkit.h"

namespace kanimo {

namespace {

// Fires on a grid of whole system ticks from its start. Qt counts intervals in whole
// milliseconds, so each shot is aimed at the next point of the grid; a shot that comes late
// skips the points already past, as a desktop timer does not queue missed events.
class QtTimer : public Timer {
  public:
    using Clock = std::chrono::steady_clock;

    QtTimer(int periodMs, std::function<void()> onTimer)
        : period_(timerPeriod(periodMs)), onTimer_(std::move(onTimer)), next_(Clock::now()) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
        aimAtNextTick();
    }

    std::chrono::nanoseconds period() const override { return period_; }

  private:
    void fire() {
        aimAtNextTick();
        onTimer_();
    }

    void aimAtNextTick() {
        const Clock::time_point now = Clock::now();
        do {
            next_ += period_;
        } while (next_ <= now);
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next_ - now);
        timer_.start(wait);
    }

    std::chrono::nanoseconds period_;
    std::function<void()> onTimer_;
    Clock::time_point next_;
    QTimer timer_;
};

} // namespace

std::unique_ptr<Timer> createTimer(int periodMs, std::function<void()> onTimer) {
    return std::make_unique<QtTimer>(periodMs, std::move(onTimer));
}

} // namespace kanimo
