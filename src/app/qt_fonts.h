#pragma once

namespace kanimo {

// Tells the toolkit which free faces stand in for the layout's fonts on a machine that lacks
// them; a machine that has the fonts themselves keeps using them. Registering again changes
// nothing.
void registerFontSubstitutes();

} // namespace kanimo
