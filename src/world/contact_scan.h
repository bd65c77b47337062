#pragma once

#include <cstdint>
#include <vector>

namespace kanimo {

struct Creature;

// What the contact pass's pair loop needs to know of every creature, in list order and in
// flat arrays, so that a creature's turn can pass over the many others it cannot reach
// without visiting them. The pass keeps it in step with every change it makes; it is
// scratch space, owned by the world only so that it is reused from pass to pass.
struct ContactScan {
    std::vector<Creature*> creatures;
    std::vector<double> refX; // reference point: centre less half the size
    std::vector<double> refY;
    std::vector<double> nearRadius;   // size x 3
    std::vector<double> touchRadius;  // size x 0.5
    std::vector<std::uint64_t> dead;  // one bit per creature
    std::vector<std::uint64_t> visit; // one bit per creature the current turn must visit
    double widestTouch = 0;           // no touch radius in the scan is larger

    void clear();
    void add(Creature& c);
    void update(int index);

    bool isDead(int index) const { return (dead[index >> 6] >> (index & 63)) & 1; }
    int size() const { return static_cast<int>(creatures.size()); }
};

} // namespace kanimo
