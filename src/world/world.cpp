#include "world/world.h"

#include "creature/creature.h"

namespace kanimo {

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

void findListTail(World& world) {
    Creature* tail = world.listHead;
    while (tail != nullptr && tail->next != nullptr) tail = tail->next;
    world.listTail = tail;
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
