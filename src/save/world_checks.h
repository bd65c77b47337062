#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kanimo {

struct Creature;
struct Genome;
struct World;
struct WorldSettings;

// What a loaded world must satisfy before a step or a drawing may touch it: it must be a
// world that the rules can reach. The rules themselves check nothing, so a value no run
// makes (a phase seed near the largest double, an ancestry that names itself, a limb
// longer than a genome row) would run on into overflow, endless loops or huge blocks of
// memory. Each check returns an empty string or a one-line reason naming the field. The
// bounds are listed, with the reasons for them, in docs/save-format.md.

inline constexpr std::uint32_t maxCreatures = 1000000;
inline constexpr std::int64_t maxStepCount = std::int64_t{1} << 62;

std::string checkSettings(const WorldSettings& settings);

// The world's own counters, against its settings.
std::string checkCounters(const World& world);

// A genome that random generation and mutation can make: 1 to 7 rows, each a run of 1 to
// 13 filled cells from the first column on, angles 0 to 360 and kinds 0 to 3, every other
// cell empty in both tables.
std::string checkGenome(const Genome& genome);

// A creature's fields and the state of its body, against its world and against a
// creature made and grown from the same genome by the rules: what they never change after
// making and growth must still be what these gave.
std::string checkCreature(const Creature& creature, const World& world);

// What ties the creatures of the list together: ids rising along the list (a creature is
// always appended), birth steps in the same order, each generation one more than that of
// a parent still in the list, and partner links (`partners[i]`, -1 for none) that name
// another creature of the list.
std::string checkList(const std::vector<const Creature*>& list,
                      const std::vector<std::int32_t>& partners);

} // namespace kanimo
