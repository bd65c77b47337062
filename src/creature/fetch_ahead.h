#pragma once

#include <cstddef>

#include "creature/creature.h"
#include "creature/phase_cycle.h"

namespace kanimo {

// Asking for a creature's memory before it is read. In a big world the creatures are far
// more than the caches hold, and a walk of the list that waits for each in turn spends
// most of its time waiting; code that knows which creatures come next asks for them here,
// far enough ahead for the memory to arrive first. Nothing here changes a value.
//
// These are forced inline: the compiler takes a function that only asks for memory as one
// without effects, and may drop its calls altogether.

// Walks of the list read a creature's first line only; see the layout of Creature.
[[gnu::always_inline]] inline void fetchListEntry(const Creature& c) {
    __builtin_prefetch(&c.next);
}

// A turn and a tick read the record up to its body's storage and memo.
[[gnu::always_inline]] inline void fetchRecord(const Creature& c) {
    const char* from = reinterpret_cast<const char*>(&c);
    const char* to = reinterpret_cast<const char*>(&c.steeringMemo + 1);
    for (const char* at = from; at < to; at += 64) __builtin_prefetch(at);
}

// Part `part` of `parts` of the body's storage, from the first segment to the end of its
// last table; the last part asks for the place of the steering memo the next tick reads
// too. A body takes a few dozen lines, more than the processor can have on their way at
// once: asked for all together, the asking itself would wait. Reads the record, so it
// should be asked for first.
[[gnu::always_inline]] inline void fetchBody(const Creature& c, int part, int parts) {
    if (c.segments != nullptr) {
        const char* from = reinterpret_cast<const char*>(c.segments);
        const LimbEffects& e = c.limbEffects;
        const char* to = e.boostGrowth != nullptr
                             ? reinterpret_cast<const char*>(e.boostGrowth + e.boosts)
                             : from + sizeof(Segment) * static_cast<std::size_t>(c.segmentCount);
        const std::size_t lines = static_cast<std::size_t>(to - from + 63) / 64;
        const std::size_t first = lines * static_cast<std::size_t>(part) / parts;
        const std::size_t end = lines * static_cast<std::size_t>(part + 1) / parts;
        for (std::size_t line = first; line < end; ++line) __builtin_prefetch(from + 64 * line);
    }
    if (part == parts - 1 && c.steeringMemo != nullptr) {
        const int slot = phaseCycleSlot(nextPhase(c.phase));
        if (slot >= 0) {
            __builtin_prefetch(&c.steeringMemo->phaseSeed);
            __builtin_prefetch(&c.steeringMemo->w[slot]);
        }
    }
}

} // namespace kanimo
