#include "world/contact.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/geometry.h"
#include "creature/creature.h"
#include "creature/fetch_ahead.h"
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
    for (const Segment* head = attacker.firstLimb; head != nullptr; head = head->nextLimb()) {
        for (const Segment* s = head; s != nullptr; s = s->next()) {
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

// Hands the living from `from` on whose reference points lie in the rectangle to
// `consider`, in list order. The rectangle test runs two creatures at a time and without
// branches over the flat arrays; only those inside are looked at further.
template <class Consider>
void sweep(const ContactScan& scan, int from, double left, double top, double right, double bottom,
           Consider&& consider) {
    const int n = scan.size();
    const double* refX = scan.refX.data();
    const double* refY = scan.refY.data();
    auto inside = [&](int j) -> std::uint64_t {
        return refX[j] >= left && refX[j] <= right && refY[j] >= top && refY[j] <= bottom;
    };
#if defined(__SSE2__)
    const __m128d l = _mm_set1_pd(left);
    const __m128d r = _mm_set1_pd(right);
    const __m128d t = _mm_set1_pd(top);
    const __m128d b = _mm_set1_pd(bottom);
#endif
    for (int begin = from; begin < n; begin += 64) {
        const int end = std::min(begin + 64, n);
        std::uint64_t bits = 0;
        int j = begin;
#if defined(__SSE2__)
        for (; j + 1 < end; j += 2) {
            const __m128d qx = _mm_loadu_pd(refX + j);
            const __m128d qy = _mm_loadu_pd(refY + j);
            const __m128d in = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(qx, l), _mm_cmple_pd(qx, r)),
                                          _mm_and_pd(_mm_cmpge_pd(qy, t), _mm_cmple_pd(qy, b)));
            bits |= static_cast<std::uint64_t>(_mm_movemask_pd(in)) << (j - begin);
        }
#endif
        for (; j < end; ++j) bits |= inside(j) << (j - begin);
        for (; bits != 0; bits &= bits - 1) {
            const int k = begin + std::countr_zero(bits);
            if (!scan.isDead(k)) consider(k);
        }
    }
}

// Lists, from `from` on and in list order, the creatures that the turn must visit: the
// living that p may touch or may strike, that is those within reach of the touch test, or
// of the near test and p's limb box (a visit to any other living creature would change
// nothing), and the dead that a partner link may spare from the turn's dead test. Every
// other dead creature is owed the test and gets it through the tally. The grid, or in a
// small world a sweep, hands out the living inside one rectangle around both reaches,
// which are then tested in full.
void collectVisits(ContactScan& scan, const Turn& turn, int from) {
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

    std::vector<int>& visits = scan.visits;
    visits.clear();
    auto consider = [&](int k) {
        if (k < from || k == turn.index) return;
        const double dx = rp.x - refX[k];
        const double dy = rp.y - refY[k];
        const double d2 = dx * dx + dy * dy;
        const double mNear = pNear + nearRadius[k];
        const double mTouch = pTouch + touchRadius[k];
        const bool touch = mTouch >= 0 && d2 <= mTouch * mTouch;
        const bool strike =
            mNear >= 0 && d2 <= mNear * mNear && box.mayReach(refX[k], refY[k], touchRadius[k]);
        if (touch || strike) visits.push_back(k);
    };
    if (scan.gridded) {
        scan.living.query(left, top, right, bottom, consider);
    } else {
        sweep(scan, from, left, top, right, bottom, consider);
    }
    // A dead partner is spared only while p still names it, and a contact on the way can
    // change that, so these are looked at in their place in the list.
    auto linked = [&](int k) {
        if (k >= from && scan.isDead(k)) visits.push_back(k);
    };
    scan.partners.forEachNamer(turn.index, linked);
    const int partner = scan.partners.partnerOf(turn.index);
    if (partner >= 0) linked(partner);
    std::sort(visits.begin(), visits.end());
    visits.erase(std::unique(visits.begin(), visits.end()), visits.end());
}

// The dead tests a turn gives its own creature, once that creature is dead, at every
// creature after `after`, but itself and those linked to it as partners.
std::int64_t testsOfADeadTurn(const ContactScan& scan, int index, int after) {
    std::int64_t tests = scan.size() - 1 - after;
    if (index > after) --tests;
    const int partner = scan.partners.partnerOf(index);
    if (partner > after) --tests;
    scan.partners.forEachNamer(index, [&](int q) {
        if (q > after && q != partner) --tests;
    });
    return tests;
}

// p's turn against the whole list, visiting in list order only the creatures collected,
// and keeping the scan in step with what each visit changes. A dead p only shrinks, once
// for every creature its partner links do not exempt; a p that dies on the way, bitten
// back by its own limb, shrinks so for the rest of the list and lowers none of the dead
// there.
void meetAll(World& world, ContactScan& scan, Creature& p, int index, StepObserver* observer) {
    if (!(p.energy > 0)) {
        scan.owed.add(index, testsOfADeadTurn(scan, index, -1));
        return;
    }
    const Turn turn{p, index, LimbBox(p), observer};
    ++scan.owed.livingTurns;
    collectVisits(scan, turn, 0);
    // The creatures a turn visits lie anywhere in the list: ask for all of them at once.
    if (scan.gridded) {
        for (const int j : scan.visits) fetchListEntry(*scan.creatures[j]);
    }
    std::size_t at = 0;
    while (at < scan.visits.size()) {
        const int j = scan.visits[at++];
        if (scan.isDead(j)) {
            if (scan.partners.partnerOf(turn.index) == j ||
                scan.partners.partnerOf(j) == turn.index) {
                scan.owed.spare(j);
            }
            continue;
        }
        Creature& q = *scan.creatures[j];
        const bool contact = visit(world, turn, q);
        if (contact) {
            scan.partners.link(turn.index, j);
            scan.partners.link(j, turn.index);
            scan.update(turn.index);
        }
        if (contact || !(q.energy > 0)) scan.update(j);
        if (!(p.energy > 0)) {
            scan.update(turn.index);
            scan.owed.cutShort(j + 1);
            scan.owed.start(turn.index);
            scan.owed.add(turn.index, testsOfADeadTurn(scan, turn.index, j));
            return;
        }
        if (contact) {
            collectVisits(scan, turn, j + 1);
            at = 0;
        }
    }
}

// The scan knows the turns ahead, so each turn asks for the record of a turn some way
// ahead, and for the body of a nearer one, whose record has arrived by then: the turn and
// the tick then find both waiting. The asking is spread over the turn, `part` of `parts`.
[[gnu::always_inline]] inline void fetchAhead(const ContactScan& scan, int index, int part,
                                              int parts) {
    constexpr int recordAhead = 8;
    constexpr int bodyAhead = 4;
    if (part == 0 && index + recordAhead < scan.size()) {
        fetchRecord(*scan.creatures[index + recordAhead]);
    }
    if (index + bodyAhead < scan.size()) {
        const Creature& c = *scan.creatures[index + bodyAhead];
        fetchBody(c, part, parts);
        if (part == parts - 1 && c.partner != nullptr) fetchListEntry(*c.partner);
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
    scan.build(listInOrder(world), world.settings.worldSize);

    int births = 0;
    int index = 0;
    for (Creature* p = world.listHead; p != nullptr; p = p->next, ++index) {
        if (world.rng.random(50) != 0) world.boostBudget = world.settings.boostBudget;

        if (scan.gridded) fetchAhead(scan, index, 0, 3);
        meetAll(world, scan, *p, index, observer);
        if (scan.gridded) fetchAhead(scan, index, 1, 3);

        if (p->partner != nullptr &&
            distance(p->pos.x, p->pos.y, p->partner->pos.x, p->partner->pos.y) >
                static_cast<double>(world.settings.contactRange)) {
            p->partner = nullptr;
        }
        scan.settleForTick(index);
        const TickEnd end = creatureTick(world.settings, world.rng, world.boostBudget, *p);
        noteTickEnd(world, *p, end, observer);
        if (p->partner == nullptr) scan.partners.link(index, -1);
        scan.ticked(index); // the tick moved and resized p
        if (scan.gridded) fetchAhead(scan, index, 2, 3);

        // Offspring join the list, and the scan, at once: they get their turn in this pass.
        if (end == TickEnd::split) {
            Creature* last = world.listTail;
            reproduce(world, *p, observer);
            for (Creature* c = last->next; c != nullptr; c = c->next) scan.add(*c);
            births += 3;
        }
    }
    // Whatever reads the world next sees every size as the tests left it.
    scan.settleAll();
    return births;
}

} // namespace kanimo
