#pragma once

#include <ctime>

namespace kanimo {

// CPU time of the calling thread, which a busy machine disturbs less than the wall clock.
inline double threadCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace kanimo
