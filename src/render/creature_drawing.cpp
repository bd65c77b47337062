#include "render/creature_drawing.h"

#include <cmath>

#include "creature/creature.h"
#include "render/picture.h"
#include "render/truncation.h"
#include "base/geometry.h"

namespace kanimo {

namespace {

constexpr Colour otherKindGrey = 0x00969696;
constexpr Colour markedColour = 0x009696DE;

// Each bound is truncated on its own. A bound that is not a number leaves no shape.
void ellipseOf(Picture& picture, double x1, double y1, double x2, double y2) {
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
    picture.ellipse(truncToInt(x1), truncToInt(y1), truncToInt(x2), truncToInt(y2));
}

// Outer segments are darker: 200 at depth 0, 8 less per step, kept to 8 bits.
Colour depthShade(int depth) {
    return (200u - 8u * static_cast<unsigned>(depth)) & 0xFFu;
}

Colour segmentColour(SegmentKind kind, int depth) {
    const Colour v = depthShade(depth);
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
    return otherKindGrey; // a number outside the four kinds
}

} // namespace

void drawCreatures(Picture& picture, const Creature* first, int lifespan) {
    for (const Creature* c = first; c != nullptr; c = c->next) {
        for (const Segment* limb = c->body.firstLimb(); limb != nullptr; limb = limb->nextLimb()) {
            drawLimbChain(picture, limb);
        }
        drawBody(picture, *c, lifespan);
    }
}

// The recursion is as deep as the chain is long: a head and at most 13 segments.
void drawLimbChain(Picture& picture, const Segment* segment) {
    if (segment == nullptr) return;
    drawLimbChain(picture, segment->next());
    drawSegment(picture, *segment);
}

void drawSegment(Picture& picture, const Segment& segment) {
    picture.setBrushColour(segmentColour(segment.kind, segment.depth));
    const double x = segment.pos.x;
    const double y = segment.pos.y;
    const double s = segment.size;
    ellipseOf(picture, x - s * 0.5, y - s * 0.5, x + s * 0.5, y + s * 0.5);
}

void drawBody(Picture& picture, const Creature& creature, int lifespan) {
    const double x = creature.pos.x;
    const double y = creature.pos.y;
    const double s = creature.size;
    const double a = creature.swing * degreesToRadians;
    const double f = 1 + 0.03 * s;

    // Life: green fades as life runs out and wraps once it runs past the lifespan.
    picture.setBrushColour(rgb(80, channel(190 * creature.lifeLeft / lifespan), 80));
    const double lifeRadius = s * 0.8 * 0.8 * 0.5;
    const double lifeDx = 5 * (-f * std::cos(a + 23));
    const double lifeDy = 5 * (-f * std::sin(a + 23));
    ellipseOf(picture, x - lifeRadius + lifeDx, y - lifeRadius + lifeDy, x + lifeRadius + lifeDx,
              y + lifeRadius + lifeDy);

    // Growth: blue towards full growth.
    picture.setBrushColour(rgb(80, 80, channel(190 * creature.growthRatio)));
    const double growthRadius = s * 0.8 * 0.5;
    const double growthDx = 5 * f * std::cos(a);
    const double growthDy = 5 * f * std::sin(a);
    ellipseOf(picture, x - growthRadius + growthDx, y - growthRadius + growthDy,
              x + growthRadius + growthDx, y + growthRadius + growthDy);

    // Body: red by energy, or the fixed colour of a marked creature.
    if (creature.marked) {
        picture.setBrushColour(markedColour);
    } else {
        const double r = creature.energy / creature.maxEnergy;
        picture.setBrushColour(rgb(channel(180 * r), channel(50 * r), channel(50 * r)));
    }
    const double bodyRadius = s * 0.5;
    ellipseOf(picture, x - bodyRadius, y - bodyRadius, x + bodyRadius, y + bodyRadius);
}

} // namespace kanimo
