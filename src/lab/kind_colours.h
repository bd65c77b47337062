#pragma once

#include <QColor>

#include "render/creature_shapes.h"

namespace kanimo {

// A segment kind in the colour the world draws it in at `depth`, so that the inspector's
// genome and the charts' legend read like the view.
inline QColor kindColour(int kind, int depth = 0) {
    const Colour c = segmentColour(static_cast<SegmentKind>(kind), depth);
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace kanimo
