#include "creature/body.h"

#include "creature/creature.h"
#include "world/world.h"

namespace kanimo {

namespace {

int chainLength(const Genome& genome, int row) {
    int n = 0;
    while (n < genomeColumns && genome.angles[row][n] != emptyCell) ++n;
    return n;
}

int bodySegmentCount(const Genome& genome) {
    int count = 1 + chainLength(genome, 0);
    if (genome.angles[0][0] == emptyCell) return count;
    for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
        count += 1 + chainLength(genome, r);
    }
    return count;
}

Segment* addSegment(Creature& creature, const Segment& segment) {
    Segment* slot = &creature.segments[creature.segmentCount++];
    *slot = segment;
    return slot;
}

} // namespace

void growBody(const World& world, Creature& creature, const Genome& genome) {
    creature.genome = genome;
    // Sized up front so that the links between segments stay valid.
    creature.segments = std::make_unique<Segment[]>(bodySegmentCount(genome));
    creature.segmentCount = 0;

    Segment* root = addSegment(
        creature, Segment(creature, world.limbSizeFactor, genome.angles[0][0], genome.kinds[0][0]));
    creature.firstLimb = root;
    growChain(creature, root, genome, 0);
    if (genome.angles[0][0] == emptyCell) return;

    Segment* head = root;
    for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
        Segment* limb = addSegment(creature, Segment(head, genome.angles[r][0], genome.kinds[r][0]));
        head->nextLimb = limb;
        growChain(creature, limb, genome, r);
        head = limb;
    }
}

void growChain(Creature& creature, Segment* from, const Genome& genome, int row) {
    Segment* tail = from;
    for (int k = 0; k < genomeColumns && genome.angles[row][k] != emptyCell; ++k) {
        Segment* segment = addSegment(creature, Segment(tail, genome.angles[row][k], genome.kinds[row][k]));
        tail->next = segment;
        segment->depth = k;
        tail = segment;
        if (segment->kind < 0) creature.doomed = true;
    }
}

} // namespace kanimo
