#pragma once

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace kanimo {

struct Creature;

// A world's creatures, in list order. The list runs from head() through Creature::next and
// owns every creature in it; creatures join at the tail and leave from anywhere. It also
// keeps itself as an array, current after every change it makes, so that a walk of a big
// world can ask for the creatures some way ahead instead of waiting on each `next`. Only
// the list links and unlinks: code that changes it does so through these members.
class CreatureList {
  public:
    CreatureList() = default;
    ~CreatureList() { clear(); }
    CreatureList(CreatureList&& other) noexcept;
    CreatureList& operator=(CreatureList&& other) noexcept;
    CreatureList(const CreatureList&) = delete;
    CreatureList& operator=(const CreatureList&) = delete;

    Creature* head() const { return order_.empty() ? nullptr : order_.front(); }
    Creature* tail() const { return order_.empty() ? nullptr : order_.back(); }
    int size() const { return static_cast<int>(order_.size()); }
    bool empty() const { return order_.empty(); }
    // The list from head to tail.
    const std::vector<Creature*>& inOrder() const { return order_; }
    auto begin() const { return order_.begin(); }
    auto end() const { return order_.end(); }

    // Links the creature after the tail and takes it over.
    Creature& append(std::unique_ptr<Creature> creature);

    // Unlinks the creatures of `leaving`, which must be in the list and in list order, and
    // destroys them; `farewell` sees each one last, in that order, once it is out of the
    // list but before it is destroyed.
    void remove(std::span<Creature* const> leaving, const std::function<void(Creature&)>& farewell);

    // Destroys every creature, iteratively, and leaves the list empty.
    void clear();

  private:
    std::vector<Creature*> order_;
};

} // namespace kanimo
