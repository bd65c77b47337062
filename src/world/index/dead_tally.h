#pragma once

#include <cstdint>
#include <vector>

namespace kanimo {

// The dead tests the contact pass owes each dead creature, counted instead of applied. A
// dead creature's size is read by nobody in other creatures' turns, and a test only takes
// its 0.2 off, so the tests may wait and be paid as one count (applyDeadTests) before the
// size is next read: at the creature's own tick and at the end of the pass.
//
// Every living turn owes one test to each creature that was already dead when the turn
// began. The turn takes it back from a creature it spares for a partner link (`spare`),
// and from all those past the place where its own creature died on the way (`cutShort`).
struct DeadTally {
    std::int64_t livingTurns = 0; // living turns begun in this pass

    void clear();
    // Starts the count of a creature that is dead from now on (or again after a payment).
    void start(int index);
    void spare(int index) { extra_[index] -= 1; }
    void add(int index, std::int64_t tests) { extra_[index] += tests; }
    // The current living turn stopped lowering the dead at `from` and beyond.
    void cutShort(int from);
    std::int64_t owed(int index) const;

  private:
    std::int64_t cutsAt(int index) const;

    std::vector<std::int64_t> since_;   // per creature: livingTurns when its count started
    std::vector<std::int64_t> extra_;   // tests owed besides those of the living turns
    std::vector<std::int64_t> cutBase_; // cutsAt(index) when its count started
    // Turns cut short, as a Fenwick tree over positions 1 ..: one entry at `from` + 1 per
    // cut, so that cutsAt(index) is the sum over the positions up to index + 1.
    std::vector<std::int64_t> cuts_;
    std::vector<int> cutStarts_; // every `from` of this pass, to rebuild the tree when it grows
};

} // namespace kanimo
