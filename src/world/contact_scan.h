#pragma once

#include <cstdint>
#include <vector>

#include "world/cell_grid.h"
#include "world/dead_tally.h"
#include "world/partner_links.h"

namespace kanimo {

struct Creature;

// What the contact pass needs to know of every creature, in list order and in flat
// arrays, so that a creature's turn can pass over the many others it cannot reach without
// visiting them: a grid of the living by reference point finds those a turn may touch or
// strike, the partner links say which dead a turn spares, and a tally counts the dead
// tests owed to the dead. The pass keeps it in step with every change it makes; it is
// scratch space, owned by the world only so that it is reused from pass to pass.
struct ContactScan {
    std::vector<Creature*> creatures;
    std::vector<double> refX; // reference point: centre less half the size
    std::vector<double> refY;
    std::vector<double> nearRadius;  // size x 3
    std::vector<double> touchRadius; // size x 0.5
    std::vector<char> dead;
    double widestTouch = 0; // no touch radius in the scan is larger

    // The grid pays off in big worlds only: below a few hundred creatures a turn sweeps the
    // flat arrays faster than it walks cells, and the grid is not kept at all.
    bool gridded = false;
    CellGrid living;
    PartnerLinks partners;
    DeadTally owed;
    std::vector<int> visits; // the current turn's, in list order

    // Takes in the list, given in order, with its partner links, for a new pass.
    void build(const std::vector<Creature*>& order, int worldSize);
    // A creature appended during the pass, without a partner.
    void add(Creature& c);
    // After the creature at `index` moved, resized, died or came back to life.
    void update(int index);
    // Pays a dead creature the tests it is owed, right before its tick reads its size.
    void settleForTick(int index);
    // After the tick of the creature at `index`.
    void ticked(int index);
    // Pays every dead creature what it is owed, at the end of the pass.
    void settleAll();

    bool isDead(int index) const { return dead[index] != 0; }
    int size() const { return static_cast<int>(creatures.size()); }

  private:
    double fromZero(std::int64_t tests);

    std::vector<int> slots_; // build's table from addresses to indices
    // Per creature: the tests its size has taken since its tick set it to 0, or -1 when
    // it is not known to be one of those.
    std::vector<std::int64_t> sinceZero_;
    // 0 after 0, 1, 2 ... tests: what the sizes of the long dead run through.
    std::vector<double> fromZero_{0.0};
};

} // namespace kanimo
