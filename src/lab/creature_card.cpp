#include "lab/creature_card.h"

#include "creature/creature.h"
#include "report/genome_text.h"
#include "world/world.h"

namespace kanimo {

CreatureCard readCard(const Creature& c, const World& world) {
    CreatureCard card;
    const Lineage& l = c.lineage;
    card.id = l.id;
    card.parentId = l.parentId;
    card.generation = l.generation;
    card.mutated = l.mutated;
    card.birthStep = l.birthStep;
    card.age = world.stepCount - l.birthStep;
    card.deathStep = l.deathStep;
    card.cause = l.deathCause;
    card.energy = c.energy;
    card.maxEnergy = c.maxEnergy;
    card.size = c.size;
    card.maxSize = c.maxSize;
    card.heading = c.heading;
    card.speed = c.speed;
    card.pos = c.pos;
    card.segments = c.body.segmentCount();
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        const int kind = static_cast<int>(c.body.segments()[i].kind);
        if (kind >= 0 && kind < 4) ++card.segmentsByKind[kind];
    }
    card.genome = c.genome;
    card.genomeText = genomeText(c.genome);
    return card;
}

} // namespace kanimo
