#pragma once

#include <cstdint>
#include <vector>

#include "world/index/cell_grid.h"
#include "world/index/dead_tally.h"
#include "world/index/partner_links.h"
#include "world/index/rect_sweep.h"

namespace kanimo {

struct Creature;

// The contact index that lets a turn pass over the many creatures it cannot reach (see
// contact_index.h for what the pass asks of it).
//
// It keeps, in list order and in flat arrays, what the pass needs to know of every
// creature: its reference point, its reaches, whether it is dead. A turn then visits only
// the living that it may touch or strike, found in one rectangle around both reaches, by a
// uniform grid in a big world or a sweep of the arrays in a small one. The dead need no
// visit: every living turn lowers each of them once, so the index counts those dead tests
// (a DeadTally), takes back the ones a partner link spares or that a turn whose creature
// died on the way never reached, and pays them before a dead creature's size is next read:
// at its own tick and at the end of the pass. The partner links among the creatures are
// kept both ways (PartnerLinks), to know which dead a turn spares without visiting them.
//
// A big world's creatures are far more than the caches hold, so the index, which knows the
// turns ahead, also asks for their memory some turns before it is read.
class SpatialIndex {
  public:
    void beginPass(const std::vector<Creature*>& order, int worldSize);
    int size() const { return static_cast<int>(refX_.size()); }
    Creature& creature(int index) const { return *creatures_[index]; }
    int firstVisit(int turn);
    int nextVisit(int turn, int visited, bool contact);
    bool limbsMayReach(int turn, int visit) const;
    void beforeTick(int turn);
    void afterTick(int turn);
    void appended();
    void endPass();

  private:
    // The box that holds the overlap circle of every segment of the turn's creature. Its
    // limbs stay put through the turn (only its body is pushed), so the box holds for the
    // whole turn.
    struct LimbBox {
        double left;
        double top;
        double right;
        double bottom;
        bool mayReach(double refX, double refY, double radius) const;
    };

    bool knownDead(int index) const { return dead_[index] != 0; }
    // After the creature at `index` moved, resized, died or came back to life.
    void update(int index);
    // Lists, from `from` on and in list order, the creatures the current turn must visit.
    void collectVisits(int from);
    std::int64_t testsOfADeadTurn(int index, int after) const;
    double fromZero(std::int64_t tests);
    void prefetchTurnsAhead(int turn, int part) const;

    const std::vector<Creature*>* order_ = nullptr;
    Creature* const* creatures_ = nullptr; // order_'s array, as of the last append
    std::vector<double> refX_; // reference point: centre less half the size
    std::vector<double> refY_;
    std::vector<double> nearRadius_;  // size x 3
    std::vector<double> touchRadius_; // size x 0.5
    std::vector<char> dead_;
    double widestTouch_ = 0; // no touch radius in the index is larger

    // The grid pays off in big worlds only: below a few hundred creatures a turn sweeps the
    // flat arrays faster than it walks cells, and the grid is not kept at all. Such a world
    // fits the caches, and nothing is asked for ahead either.
    bool big_ = false;
    CellGrid living_;
    PartnerLinks partners_;
    DeadTally owed_;

    // The current turn.
    int turn_ = -1;
    LimbBox limbs_{};
    std::vector<int> visits_; // in list order
    std::size_t nextVisit_ = 0;

    std::vector<int> slots_; // beginPass's table from addresses to indices
    // Per creature: the tests its size has taken since its tick set it to 0, or -1 when
    // it is not known to be one of those.
    std::vector<std::int64_t> sinceZero_;
    // 0 after 0, 1, 2 ... tests: what the sizes of the long dead run through.
    std::vector<double> fromZero_{0.0};
};

} // namespace kanimo
