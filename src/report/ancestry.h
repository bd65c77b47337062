#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kanimo {

struct Creature;
struct World;

// The family of the living: every living creature and every dead one with a living
// descendant, back to the founders. Fed by the world step's births and deaths; a line
// that dies out is pruned, so memory follows the living and their ancestry, not the
// whole history of the run.
//
// Each entry counts its references: one for itself while it lives, one for each child
// kept. A death drops the creature's own reference; an entry left with none goes at the
// end of the step (a parent dies as it splits, before its offspring are born), and takes
// its parent's reference with it, up the line, in a loop.
class Ancestry {
  public:
    struct Entry {
        std::uint64_t parentId = 0; // 0: a founder
        std::int64_t birthStep = 0;
        std::int64_t deathStep = -1; // -1 while alive
        std::int32_t references = 0;
    };

    void born(const Creature& creature);
    void died(const Creature& creature);
    // Prunes what the step left without references. Call between steps, before reading.
    void endStep();
    // Takes in the living of a world whose ancestry was not kept (a loaded world without
    // one): they hang from the root, as founders would.
    void adoptLiving(const World& world);

    const std::unordered_map<std::uint64_t, Entry>& entries() const { return entries_; }

    // Text that deserialize() reads back into an equal structure: one line per entry, in
    // id order, "<id> <parent id> <birth step> <death step>" after a version line.
    // Between steps only.
    std::string serialize() const;
    // Replaces the contents. Returns an empty string, or one line saying what is wrong;
    // the structure is then empty.
    std::string deserialize(const std::string& text);

  private:
    void release(std::uint64_t id);

    std::unordered_map<std::uint64_t, Entry> entries_;
    std::vector<std::uint64_t> unreferenced_; // may go at the end of the step
};

} // namespace kanimo
