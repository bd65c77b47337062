#pragma once

#include <cstdint>
#include <string>

namespace kanimo {

struct Creature;
struct Genome;
struct World;
struct WorldSettings;

// What a loaded world must satisfy before a step or a drawing may touch it. The rules
// themselves check nothing, so these bounds keep every integer sum in range, every
// placement loop able to find a free spot and every double finite. Each check returns an
// empty string or a one-line reason. The bounds are listed in docs/save-format.md.

// Positions, segment sizes and reaches, maxEnergy and maxGrowth stay within this in
// magnitude: far beyond anything the rules reach, far below where sums would overflow.
inline constexpr double valueLimit = 1e12;
inline constexpr std::uint32_t maxCreatures = 1000000;
inline constexpr std::int64_t maxStepCount = std::int64_t{1} << 62;

std::string checkSettings(const WorldSettings& settings);

// The world's own counters, against its settings.
std::string checkCounters(const World& world);

// Every cell of the tables an angle from 0 to 360 or a kind from 0 to 3, or -1.
std::string checkGenome(const Genome& genome);

// A creature's fields and the dynamic state of its body, against its world.
std::string checkCreature(const Creature& creature, const World& world);

} // namespace kanimo
