#pragma once

namespace kanimo {

class Picture;
struct World;

// The frame the run loop composes: the background, then every creature of the world. A
// picture with an origin (Picture::setOrigin) gets exactly its part of the whole frame.
void composeFrame(Picture& picture, const World& world, bool plainBackground);

} // namespace kanimo
