#include "world/world.h"

#include <utility>

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
    ++world.listEdits;
    world.order.clear();
    world.orderEdits = world.listEdits;
}

void linkAtTail(World& world, Creature* creature) {
    if (world.listHead == nullptr) {
        world.listHead = creature;
    } else {
        world.listTail->next = creature;
    }
    world.listTail = creature;
    const bool current = world.orderEdits == world.listEdits;
    ++world.listEdits;
    if (current) {
        world.order.push_back(creature);
        world.orderEdits = world.listEdits;
    }
}

int listLength(const World& world) {
    if (world.orderEdits == world.listEdits) return static_cast<int>(world.order.size());
    int n = 0;
    for (const Creature* c = world.listHead; c != nullptr; c = c->next) ++n;
    return n;
}

const std::vector<Creature*>& listInOrder(World& world) {
    if (world.orderEdits != world.listEdits) {
        world.order.clear();
        for (Creature* c = world.listHead; c != nullptr; c = c->next) world.order.push_back(c);
        world.orderEdits = world.listEdits;
    }
    return world.order;
}

void takeList(World& world, World& from) {
    world.listHead = std::exchange(from.listHead, nullptr);
    world.listTail = std::exchange(from.listTail, nullptr);
    ++world.listEdits;
    ++from.listEdits;
}

} // namespace kanimo
