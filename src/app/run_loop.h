#pragma once

namespace kanimo {

struct Shell;
class Tconstruct;

// Marks the world running, sizes the off-screen picture to the paint box, seeds the
// generator (the given seed, or the clock) and the world from the generator.
void startRunLoop(Shell& shell, Tconstruct& form);

// One pass: a frame, a world step when one is due, the contact pass in fast mode, and then
// the delivery of every pending event, inside which the timers and keys change the flags.
void runPass(Shell& shell, Tconstruct& form);

// Starts the loop and makes passes until a quit is requested.
void runLoop(Shell& shell, Tconstruct& form);

} // namespace kanimo
