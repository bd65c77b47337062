#pragma once

namespace kanimo {

struct Creature;
struct World;

// Places and resizes every segment of the body around the creature's centre, then lets
// every chain segment act on its owner by its kind. Kind-2 boosts spend the world's
// shared boostBudget.
void updateLimbs(World& world, Creature& creature);

} // namespace kanimo
