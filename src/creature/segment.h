#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "genetics/genome.h"

namespace kanimo {

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
// every segment of every moving creature each tick, so a segment is one cache line, and
// starts on one (a body's storage is allocated on a line boundary): the links are steps
// through the body's array of segments (at most 98 long), and a link is set only once the
// segment has its place there.
struct alignas(64) Segment {
    Vec2 pos{0.0, 0.0};
    Vec2 prevPos{0.0, 0.0};
    double size = 0.0;
    double reach = 0.0;
    SegmentKind kind = SegmentKind::drag;
    std::int32_t angle = 0;     // in degrees, from the genome
    std::int8_t depth = 0;      // index along the chain (0 to 12); limb heads stay at 0
    std::uint8_t angleSlot = 0; // index of `angle` in the body's table of distinct angles

    Segment() = default;
    // The root: sits on the centre of a body of the given size.
    Segment(Vec2 centre, double bodySize, double limbSizeFactor, int angle, int kind);
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
static_assert(sizeof(Segment) == 64 && alignof(Segment) == 64, "a segment is one cache line");
static_assert(maxBodySegments < 128, "links are steps of at most 127");

} // namespace kanimo
