#pragma once

namespace kanimo {

struct Creature;
struct CreatureRules;

// Places and resizes every segment of the body around the creature's centre, then lets
// every chain segment act on its owner by its kind. Feeding boosts spend `boostBudget`,
// which all the creatures of a world share.
void updateLimbs(const CreatureRules& rules, int& boostBudget, Creature& creature);

} // namespace kanimo
