#include "world/contact.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/tick.h"
#include "world/contact_scan.h"
#include "world/life_events.h"
#include "world/population.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {

namespace {

// What a bite does: the attacker gains (10 - depth) x 40 x 0.1 energy and (10 - depth) x 5
// x 0.1 growth, each product taken in that order, and the victim loses biteCost.
constexpr int biteEnergy = 40;
constexpr int biteGrowth = 5;
constexpr double biteShare = 0.1;
constexpr double biteCost = 35;

} // namespace

bool limbStrike(Creature& attacker, Creature& victim) {
    const double victimRadius = victim.size * 0.5;
    const Vec2 rv = cornerPoint(victim.pos, victimRadius);
    for (const Segment* head = attacker.firstLimb; head != nullptr; head = head->nextLimb) {
        for (const Segment* s = head; s != nullptr; s = s->next) {
            const Vec2 rs = cornerPoint(s->pos, s->size * 0.5);
            if (!circlesOverlap(rs.x, rs.y, rv.x, rv.y, s->size * 0.5, victimRadius)) continue;
            if (s->kind == SegmentKind::bite) {
                attacker.energy = attacker.energy + (10 - s->depth) * biteEnergy * biteShare;
                attacker.growth = attacker.growth + (10 - s->depth) * biteGrowth * biteShare;
                victim.energy = victim.energy - biteCost;
            }
            return true;
        }
    }
    return false;
}

void ContactScan::clear() {
    creatures.clear();
    refX.clear();
    refY.clear();
    nearRadius.clear();
    touchRadius.clear();
    dead.clear();
    visit.clear();
    widestTouch = 0;
}

void ContactScan::add(Creature& c) {
    creatures.push_back(&c);
    refX.push_back(0);
    refY.push_back(0);
    nearRadius.push_back(0);
    touchRadius.push_back(0);
    if (dead.size() * 64 < creatures.size()) {
        dead.push_back(0);
        visit.push_back(0);
    }
    update(size() - 1);
}

void ContactScan::update(int index) {
    const Creature& c = *creatures[index];
    const Vec2 r = cornerPoint(c.pos, c.size * 0.5);
    refX[index] = r.x;
    refY[index] = r.y;
    nearRadius[index] = c.size * 3;
    touchRadius[index] = c.size * 0.5;
    widestTouch = std::max(widestTouch, touchRadius[index]);
    const std::uint64_t bit = std::uint64_t{1} << (index & 63);
    if (c.energy > 0) {
        dead[index >> 6] &= ~bit;
    } else {
        dead[index >> 6] |= bit;
    }
}

namespace {

// Margin for the shortcuts below, far above the rounding of any distance in the world: a
// shortcut may only pass over what an exact test would reject.
constexpr double margin = 1e-3;

// False when two reference points d2 apart (squared) certainly fail an overlap test
// whose limit (ra + rb - 2) is `limit`; true leaves it to the exact test.
inline bool mayOverlap(double d2, double limit) {
    const double m = limit + margin;
    return m >= 0 && d2 <= m * m;
}

// The box that holds the overlap circle of every segment of a body. A segment's circle is
// centred half a size up and left of the segment and has half its size as radius, so it
// spans pos - size .. pos on both axes. A victim whose reference point lies outside the box
// widened by its radius less 2 overlaps no segment by 2 units: a strike would find nothing.
struct LimbBox {
    double left = INFINITY;
    double top = INFINITY;
    double right = -INFINITY;
    double bottom = -INFINITY;

    explicit LimbBox(const Creature& c) {
        for (int i = 0; i < c.segmentCount; ++i) {
            const Segment& s = c.segments[i];
            left = std::min(left, s.pos.x - s.size);
            top = std::min(top, s.pos.y - s.size);
            right = std::max(right, s.pos.x);
            bottom = std::max(bottom, s.pos.y);
        }
    }

    bool mayReach(double refX, double refY, double radius) const {
        const double widen = radius - 2 + margin;
        return refX >= left - widen && refX <= right + widen && refY >= top - widen &&
               refY <= bottom + widen;
    }
};

// The creature whose turn it is, with what its turn keeps: its limbs stay put through the
// turn (only its body is pushed), so their box holds for the whole turn.
struct Turn {
    Creature& p;
    int index; // in the scan
    LimbBox limbs;
    StepObserver* observer;
};

// Overlap tests compare reference points (centre moved back by half the size on both
// axes), not centres: for unequal sizes the tested circles are shifted against each other.
// Both tests of a pair measure the same distance, so it is taken once. Returns true when
// the two made contact.
bool meet(World& world, const Turn& turn, Creature& q) {
    Creature& p = turn.p;
    const Vec2 rp = cornerPoint(p.pos, p.size * 0.5);
    const Vec2 rq = cornerPoint(q.pos, q.size * 0.5);
    const double d2 = (rp.x - rq.x) * (rp.x - rq.x) + (rp.y - rq.y) * (rp.y - rq.y);
    const double nearLimit = p.size * 3 + q.size * 3 - 2.0;
    const double touchLimit = p.size * 0.5 + q.size * 0.5 - 2.0;
    if (!mayOverlap(d2, nearLimit) && !mayOverlap(d2, touchLimit)) return false;

    const double d = std::sqrt(d2);
    bool touch = false;
    if (nearLimit >= d && turn.limbs.mayReach(rq.x, rq.y, q.size * 0.5)) {
        if (limbStrike(p, q)) {
            touch = true;
            // q was alive when the visit began, so only this bite can have killed it.
            if (q.energy <= 0) noteDeath(world, q, DeathCause::bitten, turn.observer);
        }
    }
    if (touchLimit >= d) touch = true;
    if (!touch) return false;

    swapDoubles(p.heading, q.heading);
    p.pos = polarOffset(p.pos.x, p.pos.y, p.heading, world.settings.bounceStep);
    q.pos = polarOffset(q.pos.x, q.pos.y, q.heading, world.settings.bounceStep);
    p.partner = &q;
    q.partner = &p;
    return true;
}

// p meets q as the pass prescribes: the skip rules, then the dead tests, which shrink a
// dead creature, in this order and only this far, then the meeting itself.
bool visit(World& world, const Turn& turn, Creature& q) {
    Creature& p = turn.p;
    if (&q == &p || p.partner == &q || q.partner == &p) return false;
    if (isDead(p)) return false; // shrinks p if dead
    if (isDead(q)) return false; // shrinks q if dead
    return meet(world, turn, q);
}

// Marks, from `from` on, the creatures that the turn must visit: the dead (a visit shrinks
// them), and the living that p may touch or may strike, that is those within reach of the
// touch test, or of the near test and p's limb box. A visit to any other would change
// nothing. A first sweep keeps only the creatures inside one rectangle around both
// reaches, two at a time and without branches; the few it keeps are then tested in full.
void markVisits(ContactScan& scan, const Turn& turn, int from) {
    const int n = scan.size();
    const Creature& p = turn.p;
    const LimbBox& box = turn.limbs;
    const Vec2 rp = cornerPoint(p.pos, p.size * 0.5);
    const double pNear = p.size * 3 - 2 + margin;
    const double pTouch = p.size * 0.5 - 2 + margin;
    const double* refX = scan.refX.data();
    const double* refY = scan.refY.data();
    const double* nearRadius = scan.nearRadius.data();
    const double* touchRadius = scan.touchRadius.data();

    // The rectangle: the touch reach around p, joined with p's limb box, each widened by
    // the largest radius in the world.
    const double reach = std::max(pTouch + scan.widestTouch, 0.0);
    const double widen = std::max(scan.widestTouch - 2 + margin, 0.0);
    const double left = std::min(rp.x - reach, box.left - widen);
    const double right = std::max(rp.x + reach, box.right + widen);
    const double top = std::min(rp.y - reach, box.top - widen);
    const double bottom = std::max(rp.y + reach, box.bottom + widen);
    auto inside = [&](int j) -> std::uint64_t {
        return refX[j] >= left && refX[j] <= right && refY[j] >= top && refY[j] <= bottom;
    };
#if defined(__SSE2__)
    const __m128d l = _mm_set1_pd(left);
    const __m128d r = _mm_set1_pd(right);
    const __m128d t = _mm_set1_pd(top);
    const __m128d b = _mm_set1_pd(bottom);
#endif

    const int words = static_cast<int>(scan.visit.size());
    for (int w = from >> 6; w < words; ++w) {
        const int begin = std::max(w * 64, from);
        const int end = std::min(w * 64 + 64, n);
        std::uint64_t bits = 0;
        int j = begin;
#if defined(__SSE2__)
        // Pairs start at even indices, so that a pair never straddles two words.
        if (j % 2 != 0 && j < end) {
            bits |= inside(j) << (j & 63);
            ++j;
        }
        for (; j + 1 < end; j += 2) {
            const __m128d qx = _mm_loadu_pd(refX + j);
            const __m128d qy = _mm_loadu_pd(refY + j);
            const __m128d in = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(qx, l), _mm_cmple_pd(qx, r)),
                                          _mm_and_pd(_mm_cmpge_pd(qy, t), _mm_cmple_pd(qy, b)));
            bits |= static_cast<std::uint64_t>(_mm_movemask_pd(in)) << (j & 63);
        }
#endif
        for (; j < end; ++j) bits |= inside(j) << (j & 63);

        // Of those inside, keep the ones that may really touch or be struck.
        for (std::uint64_t candidates = bits; candidates != 0; candidates &= candidates - 1) {
            const int k = w * 64 + std::countr_zero(candidates);
            const double dx = rp.x - refX[k];
            const double dy = rp.y - refY[k];
            const double d2 = dx * dx + dy * dy;
            const double mNear = pNear + nearRadius[k];
            const double mTouch = pTouch + touchRadius[k];
            const bool touch = mTouch >= 0 && d2 <= mTouch * mTouch;
            const bool strike =
                mNear >= 0 && d2 <= mNear * mNear && box.mayReach(refX[k], refY[k], touchRadius[k]);
            if (!touch && !strike) bits &= ~(std::uint64_t{1} << (k & 63));
        }
        const std::uint64_t before = w == (from >> 6) ? (std::uint64_t{1} << (from & 63)) - 1 : 0;
        scan.visit[w] = (scan.visit[w] & before) | ((bits | scan.dead[w]) & ~before);
    }
}

// The first creature from j on that the turn must visit, or the list length.
int nextVisit(const ContactScan& scan, int j) {
    const int words = static_cast<int>(scan.visit.size());
    int w = j >> 6;
    if (w >= words) return scan.size();
    std::uint64_t bits = scan.visit[w] & (~std::uint64_t{0} << (j & 63));
    while (bits == 0) {
        if (++w >= words) return scan.size();
        bits = scan.visit[w];
    }
    return std::min(w * 64 + std::countr_zero(bits), scan.size());
}

// p's turn against the whole list, visiting in list order only the creatures marked, and
// keeping the scan in step with what each visit changes. While p is dead, each visit
// shrinks it, so then every creature is visited.
void meetAll(World& world, ContactScan& scan, const Turn& turn) {
    const int n = scan.size();
    Creature& p = turn.p;
    bool pAlive = p.energy > 0;
    if (pAlive) markVisits(scan, turn, 0);
    for (int j = pAlive ? nextVisit(scan, 0) : 0; j < n;
         j = pAlive ? nextVisit(scan, j + 1) : j + 1) {
        Creature& q = *scan.creatures[j];
        const bool contact = visit(world, turn, q);
        if ((q.energy > 0) == scan.isDead(j)) scan.update(j);
        const bool wasAlive = pAlive;
        pAlive = p.energy > 0;
        if (contact) {
            scan.update(j);
            scan.update(turn.index);
        }
        if (pAlive && (contact || !wasAlive) && j + 1 < n) markVisits(scan, turn, j + 1);
    }
}

// A tick's end as a death, when it is one.
void noteTickEnd(World& world, Creature& p, TickEnd end, StepObserver* observer) {
    switch (end) {
    case TickEnd::starved: noteDeath(world, p, DeathCause::starved, observer); break;
    case TickEnd::oldAge: noteDeath(world, p, DeathCause::oldAge, observer); break;
    case TickEnd::split: noteDeath(world, p, DeathCause::split, observer); break;
    case TickEnd::living:
    case TickEnd::dead: break;
    }
}

} // namespace

int contactPass(World& world, StepObserver* observer) {
    if (world.contactScan == nullptr) world.contactScan = std::make_unique<ContactScan>();
    ContactScan& scan = *world.contactScan;
    scan.clear();
    for (Creature* c = world.listHead; c != nullptr; c = c->next) scan.add(*c);

    int births = 0;
    int index = 0;
    for (Creature* p = world.listHead; p != nullptr; p = p->next, ++index) {
        if (world.rng.random(50) != 0) world.boostBudget = world.settings.boostBudget;

        meetAll(world, scan, Turn{*p, index, LimbBox(*p), observer});

        if (p->partner != nullptr &&
            distance(p->pos.x, p->pos.y, p->partner->pos.x, p->partner->pos.y) >
                static_cast<double>(world.settings.contactRange)) {
            p->partner = nullptr;
        }
        const TickEnd end = creatureTick(world.settings, world.rng, world.boostBudget, *p);
        noteTickEnd(world, *p, end, observer);
        scan.update(index); // the tick moved and resized p

        // Offspring join the list, and the scan, at once: they get their turn in this pass.
        if (end == TickEnd::split) {
            Creature* last = world.listTail;
            reproduce(world, *p, observer);
            for (Creature* c = last->next; c != nullptr; c = c->next) scan.add(*c);
            births += 3;
        }
    }
    return births;
}

} // namespace kanimo
