#pragma once

#include "app/toolkit.h"

namespace kanimo {

struct Shell;
class Tconstruct;

// The window's key commands. Each test is independent and made in this order: Home, Esc,
// B (first step), W, G, D, B (second step); every other key does nothing.
void keyDown(Shell& shell, Tconstruct& form, KeyId key);

} // namespace kanimo
