#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/dying.h"
#include "creature/prefetch.h"
#include "creature/tick.h"
#include "world/index/cell_grid.h"
#include "world/index/dead_tally.h"
#include "world/index/partner_links.h"
#include "world/index/rect_sweep.h"

namespace kanimo {

// Margin for the index's shortcuts, far above the rounding of any distance in the world: a
// shortcut may only pass over what an exact test would reject.
inline constexpr double shortcutMargin = 1e-3;

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
    [[gnu::always_inline]] void prefetchTurnsAhead(int turn, int part) const;

    const std::vector<Creature*>* order_ = nullptr;
    Creature* const* creatures_ = nullptr; // order_'s array, as of the last append
    std::vector<double> refX_;             // reference point: centre less half the size
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

// What the pass calls at every turn and visit is defined here, so that it inlines into the
// pass; the rest is in spatial_index.cpp.

inline bool SpatialIndex::LimbBox::mayReach(double refX, double refY, double radius) const {
    // A segment's circle is centred half a size up and left of the segment and has half its
    // size as radius, so it spans pos - size .. pos on both axes. A creature whose
    // reference point lies outside the box widened by its radius less 2 overlaps no segment
    // by 2 units: a strike would find nothing.
    const double widen = radius - 2 + shortcutMargin;
    return refX >= left - widen && refX <= right + widen && refY >= top - widen &&
           refY <= bottom + widen;
}

inline void SpatialIndex::update(int index) {
    const Creature& c = creature(index);
    const Vec2 r = cornerPoint(c.pos, c.size * 0.5);
    refX_[index] = r.x;
    refY_[index] = r.y;
    nearRadius_[index] = c.size * 3;
    touchRadius_[index] = c.size * 0.5;
    if (c.energy > 0) {
        widestTouch_ = std::max(widestTouch_, touchRadius_[index]);
        dead_[index] = 0;
        if (big_) living_.place(index, r.x, r.y);
    } else if (!dead_[index]) {
        dead_[index] = 1;
        if (big_) living_.remove(index);
        owed_.start(index);
    }
}

// A dead p only shrinks, once for every creature its partner links do not exempt.
inline int SpatialIndex::firstVisit(int turn) {
    prefetchTurnsAhead(turn, 0);
    turn_ = turn;
    const Creature& p = creature(turn);
    if (!(p.energy > 0)) {
        owed_.add(turn, testsOfADeadTurn(turn, -1));
        return -1;
    }
    ++owed_.livingTurns;
    LimbBox box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const Segment& s : p.body.segments()) {
        box.left = std::min(box.left, s.pos.x - s.size);
        box.top = std::min(box.top, s.pos.y - s.size);
        box.right = std::max(box.right, s.pos.x);
        box.bottom = std::max(box.bottom, s.pos.y);
    }
    limbs_ = box;
    collectVisits(0);
    // The creatures a turn visits lie anywhere in the list: ask for all of them at once.
    if (big_) {
        for (const int j : visits_) prefetchListEntry(creature(j));
    }
    return nextVisit(turn, -1, false);
}

// What a visit changed: a contact moved both and linked them, a bite may have killed the
// one visited, and p may have died of its own limb (a bite from deep enough costs the
// biter). A p that dies on the way shrinks so for the rest of the list, and lowers none of
// the dead there.
inline int SpatialIndex::nextVisit(int turn, int visited, bool contact) {
    if (visited >= 0) {
        const Creature& p = creature(turn);
        const Creature& q = creature(visited);
        if (contact) {
            partners_.link(turn, visited);
            partners_.link(visited, turn);
            update(turn);
        }
        if (contact || !(q.energy > 0)) update(visited);
        if (!(p.energy > 0)) {
            update(turn);
            owed_.cutShort(visited + 1);
            owed_.start(turn);
            owed_.add(turn, testsOfADeadTurn(turn, visited));
            return -1;
        }
        if (contact) collectVisits(visited + 1); // p moved: what it reaches changed
    }
    while (nextVisit_ < visits_.size()) {
        const int j = visits_[nextVisit_++];
        if (!knownDead(j)) return j;
        if (partners_.partnerOf(turn) == j || partners_.partnerOf(j) == turn) owed_.spare(j);
    }
    return -1;
}

inline bool SpatialIndex::limbsMayReach(int turn, int visit) const {
    (void)turn;
    return limbs_.mayReach(refX_[visit], refY_[visit], touchRadius_[visit]);
}

// A dead creature is paid the tests it is owed right before its tick reads its size.
inline void SpatialIndex::beforeTick(int turn) {
    prefetchTurnsAhead(turn, 1);
    if (!dead_[turn]) return;
    const std::int64_t tests = owed_.owed(turn);
    Creature& c = creature(turn);
    if (tests > 0 && !(c.size > 0)) {
        // Whatever the tests would leave is below 0 too, and the tick's first dead test
        // then sets it to 0: only the turning they stop is left to do.
        c.turnRate = 0;
    } else {
        applyDeadTests(c, static_cast<std::uint64_t>(std::max<std::int64_t>(tests, 0)));
    }
    owed_.start(turn);
}

inline void SpatialIndex::afterTick(int turn) {
    // The tick moved and resized p, may have let go of its partner, and may have killed it.
    if (creature(turn).partner == nullptr) partners_.link(turn, -1);
    update(turn);
    // A dead creature's tick takes its size to 0 and then lowers it once, unless it was
    // still above 0.2.
    constexpr double zeroLowered = 0.0 - deadShrink;
    const double size = creature(turn).size;
    const bool zeroed = dead_[turn] && std::memcmp(&size, &zeroLowered, sizeof size) == 0;
    sinceZero_[turn] = zeroed ? 1 : -1;
    prefetchTurnsAhead(turn, 2);
}

// Each turn asks for the record of a turn some way ahead, and for the body of a nearer
// one, whose record has arrived by then: the turn and the tick then find both waiting.
// The asking is spread over the turn, in three parts.
[[gnu::always_inline]] inline void SpatialIndex::prefetchTurnsAhead(int turn, int part) const {
    if (!big_) return;
    constexpr int parts = 3;
    constexpr int recordAhead = 8;
    constexpr int bodyAhead = 4;
    if (part == 0 && turn + recordAhead < size()) prefetchRecord(creature(turn + recordAhead));
    if (turn + bodyAhead < size()) {
        const Creature& c = creature(turn + bodyAhead);
        prefetchBody(c, part, parts);
        if (part == parts - 1 && c.partner != nullptr) prefetchListEntry(*c.partner);
    }
}

} // namespace kanimo
