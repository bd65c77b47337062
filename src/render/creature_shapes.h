#pragma once

#include <cmath>

#include "base/geometry.h"
#include "creature/creature.h"
#include "render/picture.h"
#include "render/truncation.h"

namespace kanimo {

// One filled ellipse of a creature's drawing: the box it is inscribed in, in world units
// before truncation, and its colour. Drawing a creature is drawing its shapes in order.
struct EllipseShape {
    double x1;
    double y1;
    double x2;
    double y2;
    Colour colour;
};

namespace shapes_detail {

constexpr Colour otherKindGrey = 0x00969696;
constexpr Colour markedColour = 0x009696DE;

// Outer segments are darker: 200 at depth 0, 8 less per step, kept to 8 bits.
inline Colour depthShade(int depth) {
    return (200u - 8u * static_cast<unsigned>(depth)) & 0xFFu;
}

} // namespace shapes_detail

inline Colour segmentColour(SegmentKind kind, int depth) {
    const Colour v = shapes_detail::depthShade(depth);
    switch (kind) {
    case SegmentKind::drag:
        return 0x005050 + 65536 * v;
    case SegmentKind::bite:
        return 0x505000 + v;
    case SegmentKind::feed:
        return 0x500050 + 256 * v;
    case SegmentKind::propel:
        return 0x280000 + 257 * v;
    }
    return shapes_detail::otherKindGrey; // a number outside the four kinds
}

inline EllipseShape segmentShape(const Segment& segment) {
    const double x = segment.pos.x;
    const double y = segment.pos.y;
    const double s = segment.size;
    return {x - s * 0.5, y - s * 0.5, x + s * 0.5, y + s * 0.5,
            segmentColour(segment.kind, segment.depth)};
}

// The colour of a creature's body circle: red by energy, or that of a marked creature.
inline Colour bodyColour(const Creature& creature) {
    if (creature.marked) return shapes_detail::markedColour;
    const double r = creature.energy / creature.maxEnergy;
    return rgb(channel(180 * r), channel(50 * r), channel(50 * r));
}

// The chain that starts at `segment`, tip first, the segment itself last. The recursion is
// as deep as the chain is long: a head and at most 13 segments.
template <typename Out> void forEachChainShape(const Segment* segment, Out& out) {
    if (segment == nullptr) return;
    forEachChainShape(segment->next(), out);
    out(segmentShape(*segment));
}

// The life, growth and body circles, in that order.
template <typename Out> void forEachBodyShape(const Creature& creature, int lifespan, Out& out) {
    const double x = creature.pos.x;
    const double y = creature.pos.y;
    const double s = creature.size;
    const double a = creature.swing * degreesToRadians;
    const double f = 1 + 0.03 * s;

    // Life: green fades as life runs out and wraps once it runs past the lifespan.
    const Colour life = rgb(80, channel(190 * creature.lifeLeft / lifespan), 80);
    const double lifeRadius = s * 0.8 * 0.8 * 0.5;
    const double lifeDx = 5 * (-f * std::cos(a + 23));
    const double lifeDy = 5 * (-f * std::sin(a + 23));
    out(EllipseShape{x - lifeRadius + lifeDx, y - lifeRadius + lifeDy, x + lifeRadius + lifeDx,
                     y + lifeRadius + lifeDy, life});

    // Growth: blue towards full growth.
    const Colour growth = rgb(80, 80, channel(190 * creature.growthRatio));
    const double growthRadius = s * 0.8 * 0.5;
    const double growthDx = 5 * f * std::cos(a);
    const double growthDy = 5 * f * std::sin(a);
    out(EllipseShape{x - growthRadius + growthDx, y - growthRadius + growthDy,
                     x + growthRadius + growthDx, y + growthRadius + growthDy, growth});

    // Body: red by energy, or the fixed colour of a marked creature.
    const double bodyRadius = s * 0.5;
    out(EllipseShape{x - bodyRadius, y - bodyRadius, x + bodyRadius, y + bodyRadius,
                     bodyColour(creature)});
}

// Every shape of a creature in drawing order: its limbs, then its body.
template <typename Out>
void forEachCreatureShape(const Creature& creature, int lifespan, Out&& out) {
    for (const Segment* limb = creature.body.firstLimb(); limb != nullptr;
         limb = limb->nextLimb()) {
        forEachChainShape(limb, out);
    }
    forEachBodyShape(creature, lifespan, out);
}

// Draws one shape as the picture's ellipse. Each bound is truncated on its own; a bound
// that is not a number leaves no shape.
inline void drawShape(Picture& picture, const EllipseShape& e) {
    picture.setBrushColour(e.colour);
    if (std::isnan(e.x1) || std::isnan(e.y1) || std::isnan(e.x2) || std::isnan(e.y2)) return;
    picture.ellipse(truncToInt(e.x1), truncToInt(e.y1), truncToInt(e.x2), truncToInt(e.y2));
}

} // namespace kanimo
