#pragma once

#include <string>

namespace kanimo {

// "steps_per_second <value> us_per_step <value>\n"; both are 0 when no step was made.
std::string formatBenchLine(double steps, double seconds);

} // namespace kanimo
