#pragma once

#include <cstdint>

namespace kanimo {

// Why a creature died, decided from what happened to it.
enum class DeathCause : std::uint8_t {
    none,    // still alive
    starved, // its own tick took its energy to 0 or below
    oldAge,  // the age draw of its tick
    bitten,  // a bite took its energy to 0 or below
    split,   // it reproduced, which leaves the parent without energy
    doomed,  // the cull removed it, alive, for a body it could not grow
    deleted, // it was deleted by hand, alive
};

// The text a cause of death is given wherever it is shown or recorded: "starved",
// "old age", "bitten", "split", "doomed", "deleted" ("" for none).
constexpr const char* deathCauseName(DeathCause cause) {
    switch (cause) {
    case DeathCause::starved:
        return "starved";
    case DeathCause::oldAge:
        return "old age";
    case DeathCause::bitten:
        return "bitten";
    case DeathCause::split:
        return "split";
    case DeathCause::doomed:
        return "doomed";
    case DeathCause::deleted:
        return "deleted";
    case DeathCause::none:
        break;
    }
    return "";
}

// Who a creature is and where it comes from. Kept beside the rules, never read by them:
// nothing here draws a number or changes what a creature does.
struct Lineage {
    std::uint64_t id = 0;       // 1, 2, 3 ... in order of creation in its world
    std::uint64_t parentId = 0; // 0: a founder (seeded or refill creature)
    std::int32_t generation = 0;
    bool mutated = false;        // the mutated one of three offspring
    std::int64_t birthStep = 0;  // the world step it was born in; 0 for the first seeding
    std::int64_t deathStep = -1; // the step its energy ran out in, or -1
    DeathCause deathCause = DeathCause::none;
};

} // namespace kanimo
