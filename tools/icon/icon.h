#pragma once

namespace kanimo {

class Picture;

inline constexpr int iconSide = 256;

// The desktop icon: one grown creature of a fixed world, centred on the gradient.
Picture drawIcon();

} // namespace kanimo
