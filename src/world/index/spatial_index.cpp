#include "world/index/spatial_index.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/dying.h"
#include "creature/prefetch.h"
#include "creature/tick.h"

namespace kanimo {

namespace {

// Wider than the reach of most turns, so that a turn looks at a few cells only.
constexpr double contactCell = 64;
constexpr int bigFrom = 256; // creatures in the list

// Margin for the shortcuts, far above the rounding of any distance in the world: a
// shortcut may only pass over what an exact test would reject.
constexpr double margin = 1e-3;

} // namespace

bool SpatialIndex::LimbBox::mayReach(double refX, double refY, double radius) const {
    // A segment's circle is centred half a size up and left of the segment and has half its
    // size as radius, so it spans pos - size .. pos on both axes. A creature whose
    // reference point lies outside the box widened by its radius less 2 overlaps no segment
    // by 2 units: a strike would find nothing.
    const double widen = radius - 2 + margin;
    return refX >= left - widen && refX <= right + widen && refY >= top - widen &&
           refY <= bottom + widen;
}

void SpatialIndex::beginPass(const std::vector<Creature*>& order, int worldSize) {
    order_ = &order;
    creatures_ = order.data();
    const int n = static_cast<int>(order.size());
    refX_.resize(n);
    refY_.resize(n);
    nearRadius_.resize(n);
    touchRadius_.resize(n);
    dead_.assign(n, 0);
    sinceZero_.assign(n, -1);
    widestTouch_ = 0;
    big_ = n >= bigFrom;
    if (big_) living_.reset(worldSize, contactCell);
    partners_.reset(n);
    owed_.clear();
    int index = 0;
    walkInOrder(order, [&](const Creature&) { update(index++); });

    // Partner addresses to indices, through a table open-addressed by a hash of the address.
    const std::size_t tableSize = std::bit_ceil(static_cast<std::size_t>(2 * n + 2));
    const int shift = 64 - std::countr_zero(tableSize);
    auto slotOf = [&](const Creature* c) {
        return static_cast<std::size_t>(
            (reinterpret_cast<std::uintptr_t>(c) * 0x9E3779B97F4A7C15ull) >> shift);
    };
    slots_.assign(tableSize, -1);
    for (int i = 0; i < n; ++i) {
        std::size_t s = slotOf(order[i]);
        while (slots_[s] >= 0) s = (s + 1) & (tableSize - 1);
        slots_[s] = i;
    }
    for (int i = 0; i < n; ++i) {
        const Creature* partner = order[i]->partner;
        if (partner == nullptr) continue;
        for (std::size_t s = slotOf(partner); slots_[s] >= 0; s = (s + 1) & (tableSize - 1)) {
            if (order[slots_[s]] == partner) {
                partners_.link(i, slots_[s]);
                break;
            }
        }
    }
}

void SpatialIndex::appended() {
    creatures_ = order_->data(); // the list's array may have moved as it grew
    while (size() < static_cast<int>(order_->size())) {
        refX_.push_back(0);
        refY_.push_back(0);
        nearRadius_.push_back(0);
        touchRadius_.push_back(0);
        dead_.push_back(0);
        sinceZero_.push_back(-1);
        partners_.add();
        update(size() - 1);
    }
}

void SpatialIndex::update(int index) {
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

// The living that p may touch or may strike: those within reach of the touch test, or of
// the near test and p's limb box (a visit to any other living creature would change
// nothing); and the dead that a partner link may spare from the turn's dead test. Every
// other dead creature is owed the test and gets it through the tally. The grid, or in a
// small world a sweep, hands out the living inside one rectangle around both reaches,
// which are then tested in full.
void SpatialIndex::collectVisits(int from) {
    const Creature& p = creature(turn_);
    const Vec2 rp = cornerPoint(p.pos, p.size * 0.5);
    const double pNear = p.size * 3 - 2 + margin;
    const double pTouch = p.size * 0.5 - 2 + margin;

    // The rectangle: the touch reach around p, joined with p's limb box, each widened by
    // the largest radius in the world.
    const double reach = std::max(pTouch + widestTouch_, 0.0);
    const double widen = std::max(widestTouch_ - 2 + margin, 0.0);
    const Rect rect{std::min(rp.x - reach, limbs_.left - widen),
                    std::min(rp.y - reach, limbs_.top - widen),
                    std::max(rp.x + reach, limbs_.right + widen),
                    std::max(rp.y + reach, limbs_.bottom + widen)};

    visits_.clear();
    nextVisit_ = 0;
    auto consider = [&](int k) {
        if (k < from || k == turn_ || knownDead(k)) return;
        const double dx = rp.x - refX_[k];
        const double dy = rp.y - refY_[k];
        const double d2 = dx * dx + dy * dy;
        const double mNear = pNear + nearRadius_[k];
        const double mTouch = pTouch + touchRadius_[k];
        const bool touch = mTouch >= 0 && d2 <= mTouch * mTouch;
        const bool strike = mNear >= 0 && d2 <= mNear * mNear &&
                            limbs_.mayReach(refX_[k], refY_[k], touchRadius_[k]);
        if (touch || strike) visits_.push_back(k);
    };
    if (big_) {
        living_.query(rect.left, rect.top, rect.right, rect.bottom, consider);
    } else {
        sweepRect(refX_.data(), refY_.data(), from, size(), rect, consider);
    }
    // A dead partner is spared only while p still names it, and a contact on the way can
    // change that, so these are looked at in their place in the list.
    auto linked = [&](int k) {
        if (k >= from && knownDead(k)) visits_.push_back(k);
    };
    partners_.forEachNamer(turn_, linked);
    const int partner = partners_.partnerOf(turn_);
    if (partner >= 0) linked(partner);
    std::sort(visits_.begin(), visits_.end());
    visits_.erase(std::unique(visits_.begin(), visits_.end()), visits_.end());
}

// The dead tests a turn gives its own creature, once that creature is dead, at every
// creature after `after`, but itself and those linked to it as partners.
std::int64_t SpatialIndex::testsOfADeadTurn(int index, int after) const {
    std::int64_t tests = size() - 1 - after;
    if (index > after) --tests;
    const int partner = partners_.partnerOf(index);
    if (partner > after) --tests;
    partners_.forEachNamer(index, [&](int q) {
        if (q > after && q != partner) --tests;
    });
    return tests;
}

// A dead p only shrinks, once for every creature its partner links do not exempt.
int SpatialIndex::firstVisit(int turn) {
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
int SpatialIndex::nextVisit(int turn, int visited, bool contact) {
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

bool SpatialIndex::limbsMayReach(int turn, int visit) const {
    (void)turn;
    return limbs_.mayReach(refX_[visit], refY_[visit], touchRadius_[visit]);
}

// A dead creature is paid the tests it is owed right before its tick reads its size.
void SpatialIndex::beforeTick(int turn) {
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

void SpatialIndex::afterTick(int turn) {
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

double SpatialIndex::fromZero(std::int64_t tests) {
    while (static_cast<std::int64_t>(fromZero_.size()) <= tests) {
        fromZero_.push_back(fromZero_.back() - deadShrink);
    }
    return fromZero_[tests];
}

// Whatever reads the world next sees every size as the tests left it.
void SpatialIndex::endPass() {
    for (int i = 0; i < size(); ++i) {
        if (!dead_[i]) continue;
        const std::int64_t tests = std::max<std::int64_t>(owed_.owed(i), 0);
        if (tests == 0) continue;
        const std::int64_t known = sinceZero_[i];
        Creature& c = creature(i);
        if (known >= 0) {
            c.size = fromZero(known + tests);
            c.turnRate = 0;
            sinceZero_[i] = known + tests;
        } else {
            applyDeadTests(c, static_cast<std::uint64_t>(tests));
        }
        owed_.start(i);
    }
    turn_ = -1;
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
