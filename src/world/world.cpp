#include "world/world.h"

#include "creature/creature.h"
#include "world/contact_scan.h"

namespace kanimo {

World::World() : World(WorldSettings{}) {}

World::World(const WorldSettings& settings_)
    : settings(settings_), boostBudget(settings_.boostBudget) {}

World::~World() {
    destroyAllCreatures(*this);
}

void destroyAllCreatures(World& world) {
    Creature* c = world.listHead;
    while (c != nullptr) {
        Creature* next = c->next;
        delete c;
        c = next;
    }
    world.listHead = nullptr;
    world.listTail = nullptr;
}

void linkAtTail(World& world, Creature* creature) {
    if (world.listHead == nullptr) {
        world.listHead = creature;
    } else {
        world.listTail->next = creature;
    }
    world.listTail = creature;
}

int listLength(const World& world) {
    int n = 0;
    for (const Creature* c = world.listHead; c != nullptr; c = c->next) ++n;
    return n;
}

} // namespace kanimo
