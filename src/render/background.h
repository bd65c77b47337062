#pragma once

namespace kanimo {

class Picture;

// Paints the whole background: plain grey, or the 256 overlapping bands of the gradient.
// Leaves the pen clear and the brush solid for the creature drawing that follows.
void paintBackground(Picture& picture, bool plainBackground, int worldSize);

} // namespace kanimo
