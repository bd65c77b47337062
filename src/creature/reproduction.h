#pragma once

namespace kanimo {

struct Creature;
struct World;

// Appends three offspring after the true last creature of the world list: one with a
// mutated genome, then two exact copies, all born at the parent's centre.
void reproduce(World& world, Creature& parent);

} // namespace kanimo
