#include "world/population.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "creature/body.h"
#include "creature/creature.h"
#include "creature/tick.h"
#include "world/life_events.h"
#include "world/list_walk.h"
#include "world/spawn_spots.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {

namespace {

struct Placement {
    double x;
    double y;
    double heading;
};

// Positions are whole units from 0 to the world's side, both ends included.
int drawCoordinate(World& world) {
    return world.rng.random(world.settings.worldSize + 1);
}

Placement drawPlacement(World& world) {
    Placement p;
    p.x = drawCoordinate(world);
    p.y = drawCoordinate(world);
    p.heading = world.rng.random(360);
    return p;
}

// Moves the candidate off each creature in turn, in list order. A redraw is not tested
// again against the creatures visited before, so the spot is clear of the last ones only.
// The first creature from `from` on that the spot overlaps is the one the walk would stop
// at, so the walk goes from overlap to overlap.
void clearPlacement(World& world, const SpawnSpots& spots, Placement& p) {
    const double reserve = world.settings.maxCreatureSize + spawnClearance;
    for (int from = spots.firstOverlap(p.x, p.y, reserve, 0); from >= 0;
         from = spots.firstOverlap(p.x, p.y, reserve, from)) {
        p.x = drawCoordinate(world);
        p.y = drawCoordinate(world);
    }
}

// The constructor draws before the genome the body is grown from.
void makeCreature(World& world, const Placement& p, StepObserver* observer) {
    Creature* c = new Creature(world.settings, world.rng, Vec2(p.x, p.y), p.heading, false);
    linkAtTail(world, c);
    Genome genome;
    randomGenome(world.rng, genome);
    growBody(world.settings, *c, genome);
    noteBirth(world, *c, nullptr, false, observer);
}

void bornOf(World& world, const Creature& parent, const Genome& genome, bool mutated,
            StepObserver* observer) {
    Creature* c = new Creature(world.settings, world.rng, parent.pos, genome);
    linkAtTail(world, c);
    noteBirth(world, *c, &parent, mutated, observer);
}

// Clears every partner link that names a creature about to go; `leaving` is sorted.
void dropPartnersOf(World& world, const std::vector<Creature*>& leaving) {
    walkInOrder(listInOrder(world), [&](Creature& c) {
        if (c.partner != nullptr && std::binary_search(leaving.begin(), leaving.end(), c.partner)) {
            c.partner = nullptr;
        }
    });
}

// Unlinks k, which follows `before` (null when k is the head), and destroys it.
void unlinkAndDestroy(World& world, Creature* before, Creature* k, StepObserver* observer) {
    if (before == nullptr) {
        world.listHead = k->next;
    } else {
        before->next = k->next;
    }
    if (world.listTail == k) world.listTail = before;
    ++world.listEdits;
    if (observer != nullptr) observer->removed(*k);
    delete k;
}

} // namespace

// The first creature has nothing to keep clear of; the others are added as a refill adds.
void seedWorld(World& world, StepObserver* observer) {
    destroyAllCreatures(world);
    makeCreature(world, drawPlacement(world), observer);
    addCreatures(world, world.settings.initialPopulation - 1, observer);
}

void addCreatures(World& world, int n, StepObserver* observer) {
    SpawnSpots spots;
    spots.build(world.listHead, world.settings.worldSize);
    for (int i = 0; i < n; ++i) {
        Placement p = drawPlacement(world);
        clearPlacement(world, spots, p);
        makeCreature(world, p, observer);
        spots.add(*world.listTail);
    }
}

void reproduce(World& world, const Creature& parent, StepObserver* observer) {
    const Genome mutated = mutate(world.rng, parent.genome);
    bornOf(world, parent, mutated, true, observer);
    bornOf(world, parent, parent.genome, false, observer);
    bornOf(world, parent, parent.genome, false, observer);
}

// The dead test is applied to every creature in list order, as the rules ask; the partner
// links naming the creatures that go are then cleared in one walk, before any is freed.
int cullPass(World& world, StepObserver* observer) {
    std::vector<Creature*> leaving;
    world.population = 0;
    walkInOrder(listInOrder(world), [&](Creature& k) {
        const bool dead = isDead(k); // shrinks the dead
        if ((dead && k.size <= 0) || k.doomed) {
            leaving.push_back(&k);
        } else {
            world.population = world.population + 1;
        }
    });
    if (leaving.empty()) return 0;

    std::vector<Creature*> sorted = leaving;
    std::sort(sorted.begin(), sorted.end());
    dropPartnersOf(world, sorted);

    // The array of the list stays current: it becomes the creatures kept. It is taken out
    // of the world meanwhile, so that an observer told of a removal finds it out of date.
    const std::vector<Creature*> order = std::exchange(world.order, {});
    std::vector<Creature*> kept;
    kept.reserve(order.size() - leaving.size());
    Creature* before = nullptr;
    std::size_t next = 0;
    for (Creature* k : order) {
        if (next < leaving.size() && k == leaving[next]) {
            if (k->energy > 0) noteDeath(world, *k, DeathCause::doomed, observer);
            unlinkAndDestroy(world, before, k, observer);
            ++next;
        } else {
            before = k;
            kept.push_back(k);
        }
    }
    world.order = std::move(kept);
    world.orderEdits = world.listEdits;
    return static_cast<int>(leaving.size());
}

void removeCreature(World& world, Creature* k, StepObserver* observer) {
    if (k == nullptr) return;
    Creature* before = nullptr;
    Creature* c = world.listHead;
    while (c != nullptr && c != k) {
        before = c;
        c = c->next;
    }
    if (c == nullptr) return;
    dropPartnersOf(world, {k});
    if (k->energy > 0) noteDeath(world, *k, DeathCause::deleted, observer);
    unlinkAndDestroy(world, before, k, observer);
}

int refillWorld(World& world, StepObserver* observer) {
    if (world.population <= 0) {
        seedWorld(world, observer);
        return listLength(world);
    }
    if (world.population <= world.settings.refillThreshold) {
        addCreatures(world, world.settings.refillCount, observer);
        return std::max(world.settings.refillCount, 0);
    }
    return 0;
}

} // namespace kanimo
