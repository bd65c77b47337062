#pragma once

#include <concepts>
#include <vector>

namespace kanimo {

struct Creature;

// What the contact pass asks of an index over the creature list, and what it tells it.
//
// The pass gives every creature of the list a turn, in list order and offspring included,
// in which it visits every other creature, in list order too (the rule is in contact.cpp).
// Most visits change nothing, and an index may pass over them as long as the world comes
// out as if every one had been made: it hands out, in list order, the creatures a turn must
// visit, and settles the rest itself. It is told what a turn can change as it happens:
//
//   beginPass(order, worldSize)  a pass over the list, head first, begins; the list stays
//                                alive and only grows at its tail until endPass
//   size(), creature(i)          the creatures of the pass, those appended included
//   firstVisit(i)                turn i begins: the first creature it visits, or -1
//   nextVisit(i, j, contact)     turn i visited j and made contact or not (either may have
//                                died, both may have moved): the next one, or -1
//   limbsMayReach(i, j)          false only when no segment of turn i's creature can come
//                                near j in this turn, so that a strike would find nothing
//   beforeTick(i), afterTick(i)  turn i's creature ticks in between
//   appended()                   offspring joined the tail of the list
//   endPass()                    every creature has had its turn
//
// AllPairsIndex hands out every creature, as the rule reads; SpatialIndex only those a turn
// can reach. Both give the same world, to the last bit.
template <class Index>
concept ContactIndex = requires(Index index, const std::vector<Creature*>& order, int i,
                                bool contact) {
    index.beginPass(order, i);
    { index.size() } -> std::same_as<int>;
    { index.creature(i) } -> std::same_as<Creature&>;
    { index.firstVisit(i) } -> std::same_as<int>;
    { index.nextVisit(i, i, contact) } -> std::same_as<int>;
    { index.limbsMayReach(i, i) } -> std::same_as<bool>;
    index.beforeTick(i);
    index.afterTick(i);
    index.appended();
    index.endPass();
};

} // namespace kanimo
