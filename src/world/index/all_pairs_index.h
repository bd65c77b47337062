#pragma once

#include <vector>

namespace kanimo {

struct Creature;

// The contact index that passes over nothing: every turn visits every creature of the list,
// itself included, as the rule reads. Slow in a big world, and the reference that the
// faster index is held to.
class AllPairsIndex {
  public:
    void beginPass(const std::vector<Creature*>& order, int /*worldSize*/) { order_ = &order; }
    int size() const { return static_cast<int>(order_->size()); }
    Creature& creature(int index) const { return *(*order_)[index]; }
    int firstVisit(int /*turn*/) const { return size() > 0 ? 0 : -1; }
    int nextVisit(int /*turn*/, int visited, bool /*contact*/) const {
        return visited + 1 < size() ? visited + 1 : -1;
    }
    bool limbsMayReach(int /*turn*/, int /*visit*/) const { return true; }
    void beforeTick(int /*turn*/) {}
    void afterTick(int /*turn*/) {}
    void appended() {}
    void endPass() {}

  private:
    const std::vector<Creature*>* order_ = nullptr;
};

} // namespace kanimo
