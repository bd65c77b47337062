#include "world/population.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "creature/creature.h"
#include "creature/prefetch.h"
#include "creature/tick.h"
#include "world/spawn_spots.h"
#include "world/step_context.h"

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
void clearPlacement(StepContext& step, const SpawnSpots& spots, Placement& p) {
    World& world = step.world;
    const double reserve = world.settings.maxCreatureSize + spawnClearance;
    for (int from = spots.firstOverlap(p.x, p.y, reserve, 0); from >= 0;
         from = spots.firstOverlap(p.x, p.y, reserve, from)) {
        step.checkStop(); // a crowded world may take many tries
        p.x = drawCoordinate(world);
        p.y = drawCoordinate(world);
    }
}

// The constructor draws before the genome the body is grown from.
void makeCreature(StepContext& step, const Placement& p) {
    World& world = step.world;
    Creature& c = world.creatures.append(
        std::make_unique<Creature>(world.settings, world.rng, Vec2(p.x, p.y), p.heading, false));
    Genome genome;
    randomGenome(world.rng, genome);
    growBody(world.settings, c, genome);
    step.born(c, nullptr, false);
}

void bornOf(StepContext& step, const Creature& parent, const Genome& genome, bool mutated) {
    World& world = step.world;
    Creature& c = world.creatures.append(
        std::make_unique<Creature>(world.settings, world.rng, parent.pos, genome));
    step.born(c, &parent, mutated);
}

// Takes the creatures of `leaving` (in list order) out of the world: every partner link
// naming one of them is cleared in one walk, before any is freed; then each that is still
// alive dies of `cause`, and each is removed.
void removeAll(StepContext& step, const std::vector<Creature*>& leaving, DeathCause cause) {
    std::vector<Creature*> sorted = leaving;
    std::sort(sorted.begin(), sorted.end());
    walkInOrder(step.world.creatures.inOrder(), [&](Creature& c) {
        if (c.partner != nullptr && std::binary_search(sorted.begin(), sorted.end(), c.partner)) {
            c.partner = nullptr;
        }
    });
    step.world.creatures.remove(leaving, [&](Creature& k) {
        if (k.energy > 0) step.died(k, cause);
        step.removed(k);
    });
}

} // namespace

// The first creature has nothing to keep clear of; the others are added as a refill adds.
void seedWorld(StepContext step) {
    step.world.creatures.clear();
    makeCreature(step, drawPlacement(step.world));
    addCreatures(step, step.world.settings.initialPopulation - 1);
}

void addCreatures(StepContext step, int n) {
    World& world = step.world;
    SpawnSpots spots;
    spots.build(world.creatures.inOrder(), world.settings.worldSize);
    for (int i = 0; i < n; ++i) {
        step.checkStop();
        Placement p = drawPlacement(world);
        clearPlacement(step, spots, p);
        makeCreature(step, p);
        spots.add(*world.creatures.tail());
    }
}

void reproduce(StepContext step, const Creature& parent) {
    const Genome mutated = mutate(step.world.rng, parent.genome);
    bornOf(step, parent, mutated, true);
    bornOf(step, parent, parent.genome, false);
    bornOf(step, parent, parent.genome, false);
}

// The dead test is applied to every creature in list order, as the rules ask.
int cullPass(StepContext step) {
    World& world = step.world;
    std::vector<Creature*> leaving;
    world.population = 0;
    walkInOrder(world.creatures.inOrder(), [&](Creature& k) {
        const bool dead = isDead(k); // shrinks the dead
        if ((dead && k.size <= 0) || k.doomed) {
            leaving.push_back(&k);
        } else {
            world.population = world.population + 1;
        }
    });
    removeAll(step, leaving, DeathCause::doomed);
    return static_cast<int>(leaving.size());
}

void removeCreature(World& world, Creature* k, StepObserver* observer) {
    const std::vector<Creature*>& order = world.creatures.inOrder();
    if (k == nullptr || std::find(order.begin(), order.end(), k) == order.end()) return;
    StepContext step(world, observer);
    removeAll(step, {k}, DeathCause::deleted);
}

int refillWorld(StepContext step) {
    World& world = step.world;
    if (world.population <= 0) {
        seedWorld(step);
        return world.creatures.size();
    }
    if (world.population <= world.settings.refillThreshold) {
        addCreatures(step, world.settings.refillCount);
        return std::max(world.settings.refillCount, 0);
    }
    return 0;
}

} // namespace kanimo
