#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

#include "base/geometry.h"
#include "base/random.h"
#include "creature/lineage.h"
#include "creature/phase_cycle.h"
#include "creature/rules.h"
#include "genetics/genome.h"

namespace kanimo {

struct Creature;

// What a chain segment does to its creature in every limb pass. The genome holds kinds as
// plain numbers; a number outside these four is kept as it is (a negative one dooms the
// creature at growth) and acts like a drag segment.
enum class SegmentKind : int {
    drag = 0,   // slows the creature
    bite = 1,   // takes energy from a creature it touches
    feed = 2,   // turns the world's boost budget into energy and growth
    propel = 3, // speeds the creature up
};

// A body has at most seven limb heads with up to thirteen chain segments each.
inline constexpr int maxBodySegments = genomeRows * (genomeColumns + 1);

// One circle of a body. The same record serves as the root (first limb head), as a
// further limb head and as a chain segment; the links say which. The limb pass rewrites
// every segment of every moving creature each tick, so a segment is kept to one cache
// line: the links are steps through the body's array of segments (at most 98 long), and
// a link is set only once the segment has its place there.
struct Segment {
    Vec2 pos{0.0, 0.0};
    Vec2 prevPos{0.0, 0.0};
    double size = 0.0;
    double reach = 0.0;
    SegmentKind kind = SegmentKind::drag;
    std::int32_t angle = 0;     // in degrees, from the genome
    std::int8_t depth = 0;      // index along the chain (0 to 12); limb heads stay at 0
    std::uint8_t angleSlot = 0; // index of `angle` in the body's table of distinct angles

    Segment() = default;
    // The root: sits on the creature's centre, sized from its body.
    Segment(const Creature& owner, double limbSizeFactor, int angle, int kind);
    // Any other segment: sits on `parent` and inherits its reach; link it once placed.
    Segment(const Segment& parent, int angle, int kind);

    // One step further out along the chain.
    Segment* next() { return linked(nextStep_); }
    const Segment* next() const { return linked(nextStep_); }
    // The inner neighbour; for a limb head, the previous head.
    Segment* parent() { return linked(parentStep_); }
    const Segment* parent() const { return linked(parentStep_); }
    // The next limb head (limb heads only).
    Segment* nextLimb() { return linked(nextLimbStep_); }
    const Segment* nextLimb() const { return linked(nextLimbStep_); }

    // Both segments must lie in the same body's array.
    void linkNext(const Segment* s) { nextStep_ = stepTo(s); }
    void linkParent(const Segment* s) { parentStep_ = stepTo(s); }
    void linkNextLimb(const Segment* s) { nextLimbStep_ = stepTo(s); }

    void pushPosition(Vec2 p) {
        prevPos = pos;
        pos = p;
    }

  private:
    Segment* linked(std::int8_t step) { return step == 0 ? nullptr : this + step; }
    const Segment* linked(std::int8_t step) const { return step == 0 ? nullptr : this + step; }
    std::int8_t stepTo(const Segment* s) const {
        return s == nullptr ? std::int8_t{0} : static_cast<std::int8_t>(s - this);
    }

    std::int8_t nextStep_ = 0;
    std::int8_t parentStep_ = 0;
    std::int8_t nextLimbStep_ = 0;
};
static_assert(sizeof(Segment) == 64, "a segment is one cache line");
static_assert(maxBodySegments < 128, "links are steps of at most 127");

// What the chain segments of a body do to their creature in every limb pass, worked out
// once at growth from their kinds and depths (f = 10 - depth), in limb and chain order.
// The effects on speed and turning are sums taken one term at a time, so each is kept as
// the list of its terms, subtractions as added negations: adding them in order gives the
// very same values as applying the segments' effects one after the other. The lists live
// in the body's storage (see Creature::bodyStorage).
struct LimbEffects {
    // kind 3: f x 0.1, -(f x 0.5 x 0.1); kind 2: -(f x 0.5 x 0.1) twice;
    // any other kind: -(f x 0.5 x 0.1)
    const double* speedTerms = nullptr;
    // kind 3: f x 0.001 x 0.1, f x 0.0001 x 0.1; kind 2: -(f x 0.0001 x 0.1), f x 0.0001 x 0.1;
    // any other kind: f x 0.0001 x 0.1
    const double* driveTerms = nullptr;
    int terms = 0; // in each of the two lists above
    // One entry per kind-2 segment, granted while the world's boost budget lasts.
    const double* boostEnergy = nullptr; // f x 0.0001 x 0.1
    const double* boostGrowth = nullptr; // f x 0.002 x 0.1
    int boosts = 0;
};

// What the limb pass placed the segments from at its last run, and how many runs in a row
// had the same (see updateLimbs).
struct LimbRest {
    double x = std::numeric_limits<double>::quiet_NaN();
    double y = 0.0;
    double size = 0.0;
    double factor = 0.0;
    int runs = 0;
};

// The fields are laid out by use. A big world's creatures are far more than the caches
// hold, and every walk of the list (the scan, the turns, the cull) reads the first line of
// each creature; the tick reads the next few; the genome, read at a split only, comes last.
struct Creature {
    Creature* next = nullptr;
    Creature* partner = nullptr; // refers, never owns
    Vec2 pos{0.0, 0.0};
    double size = 0.0;
    double energy = 0.0;
    // The body's segments, in limb order: each limb head followed by its chain. They live
    // in `bodyStorage`; the links between them point into it.
    Segment* segments = nullptr;
    int segmentCount = 0;
    bool doomed = false;
    bool hasReproduced = false;
    bool marked = false;

    double heading = 0.0;
    double swing = 0.0;
    double turnRate = 0.0;
    double turnDrive = 0.0;
    double maxSize = 0.0;
    double maxEnergy = 0.0;
    double growth = 0.0;
    double maxGrowth = 0.0;
    double growthRatio = 0.0;
    double phaseSeed = 0.0;
    double phase = 0.0;
    double speed = 0.0;
    double baseSpeed = 0.0;
    double lifeLeft = 0.0;
    int turnSign = 1;
    Segment* firstLimb = nullptr;

    // The distinct segment angles of the body, so that the limb pass takes one sine and
    // cosine per distinct angle instead of one per segment. After the angles come their
    // cosines and then their sines for the swing `limbTrigSwing`, kept because a creature
    // that does not turn, the dead above all, keeps its swing from tick to tick. In
    // `bodyStorage`, right after the segments.
    double* limbAngles = nullptr; // 3 x limbAngleCount
    int limbAngleCount = 0;
    double limbTrigSwing = std::numeric_limits<double>::quiet_NaN(); // none worked out yet
    LimbRest limbRest;

    LimbEffects limbEffects; // in `bodyStorage`, after the angles

    // One allocation per body, so that the limb pass reads one run of memory: the
    // segments, then the angle table, then the effect terms (see body.cpp).
    std::unique_ptr<std::byte[]> bodyStorage;

    // Steering's sines for the repeating part of the phase cycle, made once the creature
    // gets there.
    std::unique_ptr<SteeringMemo> steeringMemo;

    Lineage lineage; // set by the creature's world
    Genome genome{};

    // Seeded creature: bodiless, with a random genome its maker replaces when it grows
    // the body.
    Creature(const CreatureRules& rules, Random& rng, Vec2 pos, double heading, bool marked);
    // Offspring: random heading, body grown from the given genome.
    Creature(const CreatureRules& rules, Random& rng, Vec2 pos, const Genome& genome);

    Creature(const Creature&) = delete;
    Creature& operator=(const Creature&) = delete;

  private:
    void initCommon(const CreatureRules& rules, Random& rng);
};

} // namespace kanimo
