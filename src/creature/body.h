#pragma once

#include "creature/rules.h"
#include "genetics/genome.h"

namespace kanimo {

struct Creature;
struct Segment;

// Builds the body of a bodiless creature from `genome`, which it also stores in the
// creature: the root from cell [0][0], a limb head per further filled row, and from every
// head a chain with one segment per filled cell of its row. Any table is accepted; growth
// never reads outside it. A chain segment with a negative kind dooms the creature.
void growBody(const CreatureRules& rules, Creature& creature, const Genome& genome);

// Works out what the limb pass keeps for a grown body: the table of its distinct angles
// and its segments' effects (from their kinds and depths). Growth calls it; code that
// changes the angles, kinds or depths of a grown body calls it afterwards.
void prepareBody(Creature& creature);

// The chain of one row, hanging from `from` (the row's head). A step of growBody only: it
// fills the body storage that growBody sizes for the whole genome.
void growChain(Creature& creature, Segment* from, const Genome& genome, int row);

} // namespace kanimo
