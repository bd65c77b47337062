#include "world/contact_scan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/dying.h"
#include "creature/tick.h"
#include "world/list_walk.h"

namespace kanimo {

namespace {

// Wider than the reach of most turns, so that a turn looks at a few cells only.
constexpr double contactCell = 64;
constexpr int griddedFrom = 256; // creatures in the list

} // namespace

void ContactScan::build(const std::vector<Creature*>& order, int worldSize) {
    creatures = order;
    const int n = size();
    refX.resize(n);
    refY.resize(n);
    nearRadius.resize(n);
    touchRadius.resize(n);
    dead.assign(n, 0);
    sinceZero_.assign(n, -1);
    widestTouch = 0;
    gridded = n >= griddedFrom;
    if (gridded) living.reset(worldSize, contactCell);
    partners.reset(n);
    owed.clear();
    int index = 0;
    walkInOrder(creatures, [&](const Creature&) { update(index++); });

    // Partner addresses to indices, through a table open-addressed by a hash of the address.
    const std::size_t tableSize = std::bit_ceil(static_cast<std::size_t>(2 * n + 2));
    const int shift = 64 - std::countr_zero(tableSize);
    auto slotOf = [&](const Creature* c) {
        return static_cast<std::size_t>(
            (reinterpret_cast<std::uintptr_t>(c) * 0x9E3779B97F4A7C15ull) >> shift);
    };
    slots_.assign(tableSize, -1);
    for (int i = 0; i < n; ++i) {
        std::size_t s = slotOf(creatures[i]);
        while (slots_[s] >= 0) s = (s + 1) & (tableSize - 1);
        slots_[s] = i;
    }
    for (int i = 0; i < n; ++i) {
        const Creature* partner = creatures[i]->partner;
        if (partner == nullptr) continue;
        for (std::size_t s = slotOf(partner); slots_[s] >= 0; s = (s + 1) & (tableSize - 1)) {
            if (creatures[slots_[s]] == partner) {
                partners.link(i, slots_[s]);
                break;
            }
        }
    }
}

void ContactScan::add(Creature& c) {
    creatures.push_back(&c);
    refX.push_back(0);
    refY.push_back(0);
    nearRadius.push_back(0);
    touchRadius.push_back(0);
    dead.push_back(0);
    sinceZero_.push_back(-1);
    partners.add();
    update(size() - 1);
}

void ContactScan::update(int index) {
    const Creature& c = *creatures[index];
    const Vec2 r = cornerPoint(c.pos, c.size * 0.5);
    refX[index] = r.x;
    refY[index] = r.y;
    nearRadius[index] = c.size * 3;
    touchRadius[index] = c.size * 0.5;
    if (c.energy > 0) {
        widestTouch = std::max(widestTouch, touchRadius[index]);
        dead[index] = 0;
        if (gridded) living.place(index, r.x, r.y);
    } else if (!dead[index]) {
        dead[index] = 1;
        if (gridded) living.remove(index);
        owed.start(index);
    }
}

void ContactScan::settleForTick(int index) {
    if (!dead[index]) return;
    const std::int64_t tests = owed.owed(index);
    Creature& c = *creatures[index];
    if (tests > 0 && !(c.size > 0)) {
        // Whatever the tests would leave is below 0 too, and the tick's first dead test
        // then sets it to 0: only the turning they stop is left to do.
        c.turnRate = 0;
    } else {
        applyDeadTests(c, static_cast<std::uint64_t>(std::max<std::int64_t>(tests, 0)));
    }
    owed.start(index);
}

void ContactScan::ticked(int index) {
    update(index);
    // A dead creature's tick takes its size to 0 and then lowers it once, unless it was
    // still above 0.2.
    constexpr double zeroLowered = 0.0 - deadShrink;
    const double size = creatures[index]->size;
    const bool zeroed = dead[index] && std::memcmp(&size, &zeroLowered, sizeof size) == 0;
    sinceZero_[index] = zeroed ? 1 : -1;
}

double ContactScan::fromZero(std::int64_t tests) {
    while (static_cast<std::int64_t>(fromZero_.size()) <= tests) {
        fromZero_.push_back(fromZero_.back() - deadShrink);
    }
    return fromZero_[tests];
}

void ContactScan::settleAll() {
    for (int i = 0; i < size(); ++i) {
        if (!dead[i]) continue;
        const std::int64_t tests = std::max<std::int64_t>(owed.owed(i), 0);
        if (tests == 0) continue;
        const std::int64_t known = sinceZero_[i];
        if (known >= 0) {
            Creature& c = *creatures[i];
            c.size = fromZero(known + tests);
            c.turnRate = 0;
            sinceZero_[i] = known + tests;
        } else {
            applyDeadTests(*creatures[i], static_cast<std::uint64_t>(tests));
        }
        owed.start(i);
    }
}

} // namespace kanimo
