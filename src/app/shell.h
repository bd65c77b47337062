#pragma once

#include <cstdint>
#include <optional>

#include "render/picture.h"
#include "world/world.h"

namespace kanimo {

// Everything the window, its timers, its keys and the run loop share. Timer and key handlers
// only set, invert or clear the flags; the run loop acts on them between two passes.
struct Shell {
    bool quitRequested = false; // never cleared once set
    bool running = false;       // the run loop has been entered; never cleared
    bool paused = false;
    bool fpsTick = false;
    bool plainBackground = false;
    bool worldTick = false;
    bool fastMode = false;

    // The seed given on the command line; without one the run loop takes the clock's.
    std::optional<std::uint32_t> seed;
    // The world was loaded from a file before the window opened: the run loop goes on
    // with it instead of seeding a new one.
    bool worldLoaded = false;

    World world;
    // Every frame is composed here and then copied to the paint box in one go. It has no
    // pixels until the run loop sizes it.
    Picture offscreen;
    // Frames drawn since the figure in `debugMessage` was last shown.
    std::int32_t frameCounter = 0;
};

} // namespace kanimo
