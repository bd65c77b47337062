#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "creature/lineage.h"
#include "report/ancestry.h"
#include "report/state_dump.h"
#include "world/settings.h"
#include "world/step.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {

// A birth, death or removal, as the world step tells it.
struct LifeEvent {
    enum class Kind : std::uint8_t { birth, death, removal };
    std::int64_t step = 0;
    Kind kind = Kind::birth;
    std::uint64_t id = 0;
    std::uint64_t parentId = 0;          // births only; 0 for a founder
    DeathCause cause = DeathCause::none; // deaths only
};

// Calls `visit` on every creature of the world, in list order: the module's one walk of the
// list.
template <class Visit> void forEachCreature(const World& world, Visit&& visit) {
    for (const Creature* c : world.creatures) visit(*c);
}

// A world run from a script, with what kanimo-sim keeps beside a run of its own: the seed,
// the step kind, the report of the last step and the family of the living. A world saved
// from here goes on in kanimo-sim exactly as one kanimo-sim saved, and the reverse.
class ScriptWorld {
  public:
    // A world seeded with `seed`; the settings must be sound (checkWorldSettings).
    ScriptWorld(const WorldSettings& settings, std::uint32_t seed, StepKind kind);
    ~ScriptWorld();
    ScriptWorld(const ScriptWorld&) = delete;
    ScriptWorld& operator=(const ScriptWorld&) = delete;

    // The world a save file holds, with what the run that saved it kept. Throws
    // std::runtime_error with one line ("cannot load 'PATH': REASON") when it cannot.
    static std::unique_ptr<ScriptWorld> load(const std::string& path, StepKind kind);

    // One step; its births, deaths and removals are added to `events` when given.
    void step(std::vector<LifeEvent>* events);

    // Removes the creature with this id, as the window's D key removes the first of the
    // list; false when no creature of the list has it.
    bool remove(std::uint64_t id);

    // The creature of the list with this id, or null.
    const Creature* find(std::uint64_t id) const;

    // Writes the world and what goes on with it, whole or not at all. Returns an empty
    // string, or the one line saying why not.
    std::string save(const std::string& path) const;

    // The text of kanimo-sim --dump for the world as it is.
    std::string dump();

    const World& world() const { return *world_; }
    std::optional<std::uint32_t> seed() const { return seed_; }
    StepKind kind() const { return kind_; }
    const StepReport& lastStep() const { return lastStep_; }

  private:
    // Keeps the family of the living and, while a step is asked for them, the events.
    class Watcher : public StepObserver {
      public:
        explicit Watcher(ScriptWorld& owner) : owner_(owner) {}
        void born(const Creature& creature, const Creature* parent) override;
        void died(const Creature& creature, DeathCause cause) override;
        void removed(const Creature& creature) override;
        std::vector<LifeEvent>* events = nullptr;

      private:
        ScriptWorld& owner_;
    };

    explicit ScriptWorld(StepKind kind);

    std::unique_ptr<World> world_;
    std::optional<std::uint32_t> seed_;
    StepKind kind_;
    StepReport lastStep_;
    Ancestry ancestry_;
    Watcher watcher_{*this};
    StateDump dump_;
};

} // namespace kanimo
