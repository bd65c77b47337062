#pragma once

namespace kanimo {

struct Creature;
struct World;

// The shared dead test. Not a pure query: each application to a creature without energy
// is one step of its dying (0.2 off its size, turning stopped), so how fast the dead
// shrink depends on how often the world step asks.
bool isDead(Creature& creature);

// One tick of life: metabolism, size, speed, limbs, movement, ageing, death of old age
// and reproduction. A tick that gets past the dead test draws random(400), then random(100).
void creatureTick(World& world, Creature& creature);

} // namespace kanimo
