#include "outputs/bench_line.h"

#include <cstdio>

namespace kanimo {

std::string formatBenchLine(double steps, double seconds) {
    const double perSecond = steps > 0 && seconds > 0 ? steps / seconds : 0.0;
    const double microseconds = steps > 0 ? (seconds * 1e6) / steps : 0.0;
    char line[96];
    std::snprintf(line, sizeof line, "steps_per_second %.1f us_per_step %.3f\n", perSecond,
                  microseconds);
    return line;
}

} // namespace kanimo
