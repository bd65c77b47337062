#pragma once

#include <chrono>

namespace kanimo {

// The desktop system tick the timers were tuned for: 64 ticks a second.
inline constexpr std::chrono::nanoseconds systemTick{15'625'000};

// A requested period rounded up to a whole number of system ticks, at least one tick; so a
// 1 ms timer fires 64 times a second and a 1000 ms timer once a second.
std::chrono::nanoseconds timerPeriod(int requestedMs);

} // namespace kanimo
