#include "app/timer_period.h"

namespace kanimo {

std::chrono::nanoseconds timerPeriod(int requestedMs) {
    const std::chrono::nanoseconds requested = std::chrono::milliseconds(requestedMs);
    long long ticks = (requested.count() + systemTick.count() - 1) / systemTick.count();
    if (ticks < 1) ticks = 1;
    return systemTick * ticks;
}

} // namespace kanimo
