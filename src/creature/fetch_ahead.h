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

// The body's storage from the first segment to the end of its last table, and the place
// of the steering memo the next tick reads. Reads the record, so it should be asked for first.
[[gnu::always_inline]] inline void fetchBody(const Creature& c) {
    if (c.segments != nullptr) {
        const char* from = reinterpret_cast<const char*>(c.segments);
        const LimbEffects& e = c.limbEffects;
        const char* to = e.boostGrowth != nullptr
                             ? reinterpret_cast<const char*>(e.boostGrowth + e.boosts)
                             : from + sizeof(Segment) * static_cast<std::size_t>(c.segmentCount);
        for (const char* at = from; at < to; at += 64) __builtin_prefetch(at);
    }
    if (c.steeringMemo != nullptr) {
        const int slot = phaseCycleSlot(nextPhase(c.phase));
        if (slot >= 0) {
            __builtin_prefetch(&c.steeringMemo->phaseSeed);
            __builtin_prefetch(&c.steeringMemo->places[slot]);
        }
    }
}

} // namespace kanimo
