#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "lab/life_record.h"
#include "report/ancestry.h"
#include "report/plot_series.h"
#include "report/stats_csv.h"
#include "world/step.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {

// The whole of a LabWorld at one step but its record of lives, which a world restored from
// it keeps: a replay of the same run writes the same lives again.
struct LabSnapshot {
    long long step = 0;
    std::string bytes; // a save file's
    PlotSeries plot;
};

// A world as the Lab runs it: the world itself and what the Lab keeps beside it, fed by
// every step: the record of lives, the family of the living (so that a saved world goes on
// in kanimo-sim with its tree), the chart's series and the last step's census. Steps are
// kanimo-sim's world steps, so the world after any number of them is the one kanimo-sim
// computes for the same start.
class LabWorld {
  public:
    explicit LabWorld(const WorldSettings& settings);
    LabWorld(const LabWorld&) = delete;
    LabWorld& operator=(const LabWorld&) = delete;

    // A fresh world from `seed`.
    void seed(std::uint32_t seed);
    // The world saved at `path`, with what kanimo-sim kept beside it. Returns an empty
    // string, or one line: "cannot load 'PATH': REASON".
    std::string load(const std::string& path);

    StepReport step();

    // The bytes of a save file kanimo-sim --load goes on from exactly.
    std::string saveBytes() const;

    // Changes to the world between two steps, each one line on failure (the world is then
    // as it was). A deletion goes through the world's own removal, so the record says the
    // creature was deleted. New settings take effect as if the world were saved with them
    // and loaded: the loader's checks hold the world to what the rules can reach under the
    // new settings, and anything the world keeps that follows from them is made anew.
    std::string deleteCreature(std::uint64_t id);
    std::string changeSettings(const WorldSettings& settings);
    // Trades the record of lives for another run's: a branch keeps its own.
    void swapLives(LifeRecord& other) { std::swap(lives_, other); }

    LabSnapshot snapshot() const;
    // Back (or on) to a snapshot of this run. Returns an empty string, or the reason.
    std::string restore(const LabSnapshot& snapshot);

    World& world() { return world_; }
    const World& world() const { return world_; }
    long long stepNumber() const { return world_.stepCount; }
    std::optional<std::uint32_t> seedNumber() const { return seed_; }
    // The world after the last step as --stats and --plot count it (takeCensus), counted
    // without reading every segment: a body's kinds are kept in the record of lives.
    const Census& census() const { return census_; }
    const PlotSeries& plot() const { return plot_; }
    const LifeRecord& lives() const { return lives_; }

  private:
    class Watcher : public StepObserver {
      public:
        explicit Watcher(LabWorld& owner) : owner_(owner) {}
        void born(const Creature& creature, const Creature* parent) override;
        void died(const Creature& creature, DeathCause cause) override;
        void removed(const Creature& creature) override;

      private:
        LabWorld& owner_;
    };

    void afterStep(const StepReport& report, bool charted);
    void countWorld();

    World world_;
    std::optional<std::uint32_t> seed_;
    StepReport lastStep_;
    Watcher watcher_{*this};
    LifeRecord lives_;
    Ancestry ancestry_;
    PlotSeries plot_;
    Census census_;
    int deathsInStep_ = 0;
};

} // namespace kanimo
