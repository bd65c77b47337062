#include "world/creature_list.h"

#include <cassert>
#include <utility>

#include "creature/creature.h"

namespace kanimo {

CreatureList::CreatureList(CreatureList&& other) noexcept : order_(std::move(other.order_)) {
    other.order_.clear();
}

CreatureList& CreatureList::operator=(CreatureList&& other) noexcept {
    if (this != &other) {
        clear();
        order_ = std::move(other.order_);
        other.order_.clear();
    }
    return *this;
}

Creature& CreatureList::append(std::unique_ptr<Creature> creature) {
    Creature* c = creature.release();
    c->next = nullptr;
    if (!order_.empty()) order_.back()->next = c;
    order_.push_back(c);
    return *c;
}

void CreatureList::remove(std::span<Creature* const> leaving,
                          const std::function<void(Creature&)>& farewell) {
    if (leaving.empty()) return;
    // One walk of the array: the kept close ranks, and only a kept creature whose
    // follower left is linked anew.
    std::vector<Creature*> kept;
    kept.reserve(order_.size() - leaving.size());
    std::size_t next = 0;
    bool gap = false;
    for (Creature* c : order_) {
        if (next < leaving.size() && c == leaving[next]) {
            ++next;
            gap = true;
            continue;
        }
        if (gap && !kept.empty()) kept.back()->next = c;
        gap = false;
        kept.push_back(c);
    }
    assert(next == leaving.size() && "every creature that leaves is in the list, in order");
    if (gap && !kept.empty()) kept.back()->next = nullptr;
    order_ = std::move(kept);
    for (Creature* c : leaving) {
        c->next = nullptr;
        farewell(*c);
        delete c;
    }
}

void CreatureList::clear() {
    for (Creature* c : order_) delete c;
    order_.clear();
}

} // namespace kanimo
