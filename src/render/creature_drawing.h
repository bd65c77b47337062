#pragma once

namespace kanimo {

class Picture;
struct Creature;
struct Segment;

// Every creature of the list from `first`, in list order: its limbs, then its body.
void drawCreatures(Picture& picture, const Creature* first, int lifespan);

// The chain that starts at `segment`, tip first, the segment itself last.
void drawLimbChain(Picture& picture, const Segment* segment);
void drawSegment(Picture& picture, const Segment& segment);

// The life, growth and body circles, in that order.
void drawBody(Picture& picture, const Creature& creature, int lifespan);

} // namespace kanimo
