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

} // namespace

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

// The living that p may touch or may strike: those within reach of the touch test, or of
// the near test and p's limb box (a visit to any other living creature would change
// nothing); and the dead that a partner link may spare from the turn's dead test. Every
// other dead creature is owed the test and gets it through the tally. The grid, or in a
// small world a sweep, hands out the living inside one rectangle around both reaches,
// which are then tested in full.
void SpatialIndex::collectVisits(int from) {
    const Creature& p = creature(turn_);
    const Vec2 rp = cornerPoint(p.pos, p.size * 0.5);
    const double pNear = p.size * 3 - 2 + shortcutMargin;
    const double pTouch = p.size * 0.5 - 2 + shortcutMargin;

    // The rectangle: the touch reach around p, joined with p's limb box, each widened by
    // the largest radius in the world.
    const double reach = std::max(pTouch + widestTouch_, 0.0);
    const double widen = std::max(widestTouch_ - 2 + shortcutMargin, 0.0);
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

} // namespace kanimo
