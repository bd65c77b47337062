#include "app/start_seed.h"

#include <cstdio>
#include <ctime>

namespace kanimo {

std::uint32_t announceStartSeed(std::optional<std::uint32_t> given) {
    const std::uint32_t seed = given ? *given : static_cast<std::uint32_t>(std::time(nullptr));
    std::fprintf(stderr, "kanimo: seed %u\n", static_cast<unsigned>(seed));
    return seed;
}

} // namespace kanimo
