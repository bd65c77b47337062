#include "world/population.h"

#include "creature/body.h"
#include "creature/creature.h"
#include "creature/tick.h"
#include "world/contact.h"
#include "world/geometry.h"
#include "world/world.h"

namespace kanimo {

namespace {

struct Placement {
    double x;
    double y;
    double heading;
};

Placement drawPlacement(World& world) {
    Placement p;
    p.x = world.rng.random(601);
    p.y = world.rng.random(601);
    p.heading = world.rng.random(360);
    return p;
}

// Moves the candidate off each creature in turn. A redraw is not tested again against
// the creatures visited before, so the spot is clear of the last ones only.
void clearPlacement(World& world, Placement& p) {
    const double reserve = world.maxCreatureSize + 15;
    for (const Creature* e = world.listHead; e != nullptr; e = e->next) {
        while (circlesOverlap(p.x, p.y, e->pos.x, e->pos.y, reserve, e->size + 15)) {
            p.x = world.rng.random(601);
            p.y = world.rng.random(601);
        }
    }
}

// The constructor draws before the genome the body is grown from.
void makeCreature(World& world, const Placement& p) {
    Creature* c = new Creature(world, Vec2(p.x, p.y), p.heading, false);
    linkAtTail(world, c);
    Genome genome;
    randomGenome(world.rng, genome);
    growBody(world, *c, genome);
}

} // namespace

void seedWorld(World& world) {
    destroyAllCreatures(world);
    makeCreature(world, drawPlacement(world));
    for (int i = 1; i < world.initialPopulation; ++i) {
        Placement p = drawPlacement(world);
        clearPlacement(world, p);
        makeCreature(world, p);
    }
}

void addCreatures(World& world, int n) {
    findListTail(world);
    for (int i = 0; i < n; ++i) {
        Placement p = drawPlacement(world);
        clearPlacement(world, p);
        makeCreature(world, p);
    }
}

void cullPass(World& world, Creature* first) {
    world.population = 0;
    Creature* k = first;
    while (k != nullptr) {
        const bool dead = isDead(*k);
        if ((dead && k->size <= 0) || k->doomed) {
            Creature* next = k->next;
            removeCreature(world, k);
            k = next;
        } else {
            world.population = world.population + 1;
            k = k->next;
        }
    }
}

void removeCreature(World& world, Creature* k) {
    if (k == nullptr || world.listHead == nullptr) return;
    if (k == world.listHead) {
        world.listHead = k->next;
    } else {
        Creature* before = world.listHead;
        while (before->next != nullptr && before->next != k) before = before->next;
        if (before->next == nullptr) return;
        before->next = k->next;
    }
    for (Creature* c = world.listHead; c != nullptr; c = c->next) {
        if (c->partner == k) c->partner = nullptr;
    }
    delete k;
}

void refillWorld(World& world) {
    if (world.population <= 0) {
        seedWorld(world);
    } else if (world.population <= 15) {
        addCreatures(world, 10);
    }
}

void worldStep(World& world) {
    contactPass(world, world.listHead);
    cullPass(world, world.listHead);
    refillWorld(world);
}

} // namespace kanimo
