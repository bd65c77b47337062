#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "creature/creature.h"
#include "creature/locomotion.h"

namespace kanimo {

// Asking for a creature's memory before it is read. In a big world the creatures are far
// more than the caches hold, and a walk of the list that waits for each in turn spends
// most of its time waiting; code that knows which creatures come next asks for them here,
// far enough ahead for the memory to arrive first. Nothing here changes a value.
//
// These are forced inline: the compiler takes a function that only asks for memory as one
// without effects, and may drop its calls altogether.

// Walks of the list read a creature's first line only; see the layout of Creature.
[[gnu::always_inline]] inline void prefetchListEntry(const Creature& c) {
    __builtin_prefetch(&c.next);
}

// A turn and a tick read the record up to its steering memo.
[[gnu::always_inline]] inline void prefetchRecord(const Creature& c) {
    const char* from = reinterpret_cast<const char*>(&c);
    const char* to = reinterpret_cast<const char*>(&c.steeringMemo + 1);
    for (const char* at = from; at < to; at += 64) __builtin_prefetch(at);
}

// Part `part` of `parts` of the creature's body; the last part asks for what its steering
// reads in the next tick too. A body takes a few dozen lines, more than the processor can
// have on their way at once: asked for all together, the asking itself would wait. How
// long a body is stands in its own first line, so the first part asks for a fixed start
// of it, and the later parts, which come once that line has arrived, for the rest. Reads
// the record, so it should be asked for first.
[[gnu::always_inline]] inline void prefetchBody(const Creature& c, int part, int parts) {
    constexpr std::size_t firstLines = 16;
    const std::byte* start = c.body.storage();
    if (start != nullptr) {
        if (part == 0) {
            for (std::size_t line = 0; line < firstLines; ++line) {
                __builtin_prefetch(start + 64 * line);
            }
        } else {
            const std::size_t lines = (c.body.bytes().size() + 63) / 64;
            const std::size_t rest = lines > firstLines ? lines - firstLines : 0;
            const std::size_t first = firstLines + rest * (part - 1) / (parts - 1);
            const std::size_t end = firstLines + rest * part / (parts - 1);
            for (std::size_t line = first; line < end; ++line) {
                __builtin_prefetch(start + 64 * line);
            }
        }
    }
    if (part == parts - 1) prefetchNextSteering(c);
}

// Calls `visit` on each creature of `order` in turn, asking for the first line of one some
// way ahead, so that a walk of a big world does not wait for every creature it reaches.
template <class Visit> void walkInOrder(const std::vector<Creature*>& order, Visit&& visit) {
    constexpr std::size_t ahead = 32;
    const std::size_t n = order.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i + ahead < n) prefetchListEntry(*order[i + ahead]);
        visit(*order[i]);
    }
}

} // namespace kanimo
