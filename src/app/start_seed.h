#pragma once

#include <cstdint>
#include <optional>

namespace kanimo {

// The seed the run loop starts the world with: the one given on the command line, or else
// the clock in whole seconds cut to 32 bits. Either way it is said on standard error, so
// that whatever the window shows can be run again.
std::uint32_t announceStartSeed(std::optional<std::uint32_t> given);

} // namespace kanimo
