#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lab/lab_world.h"

namespace kanimo {

// Snapshots of a run, taken every `interval` steps, so that any step of it can be shown
// again: restore the nearest snapshot at or before it and step on. When the snapshots
// outgrow their memory budget, every second one goes and the interval doubles, so memory
// stays bounded for any length of run, as the chart's windows double. The interval also
// doubles while a snapshot costs more than a small share of the steps between two: a
// world is written whole, which costs many steps of a small world. Which steps have
// snapshots changes no result: any step is the same world whichever snapshot it is
// replayed from.
class Timeline {
  public:
    static constexpr std::size_t defaultBudget = std::size_t{256} << 20;
    static constexpr long long firstInterval = 16;
    // The most of the stepping time that taking snapshots may add.
    static constexpr double costShare = 0.03;

    // A timeline whose snapshots are kept within a budget shared with others is made with
    // no budget of its own (the largest), and thinned by its owner.
    explicit Timeline(std::size_t budget = defaultBudget) : budget_(budget) {}

    // The world as it starts: its first snapshot and step.
    void begin(const LabWorld& world);
    // After every step of the world; a step past the newest extends the run.
    void afterStep(const LabWorld& world);

    long long firstStep() const { return firstStep_; }
    long long newestStep() const { return newestStep_; }
    long long interval() const { return interval_; }
    std::size_t bytes() const { return bytes_; }
    std::size_t count() const { return snapshots_.size(); }
    // Snapshots taken since the world began, the thinned ones included.
    long long takenCount() const { return taken_; }

    // The latest snapshot at or before `step`; null before the first.
    const LabSnapshot* atOrBefore(long long step) const;

    // Drops every second snapshot and doubles the interval; false when only the first,
    // which is never dropped, is left.
    bool thin();

  private:
    std::size_t budget_;
    long long firstStep_ = 0;
    long long newestStep_ = 0;
    long long interval_ = firstInterval;
    std::size_t bytes_ = 0;
    std::vector<LabSnapshot> snapshots_; // in step order
    double lastSnapshotEnd_ = -1;        // this thread's processor time, in seconds
    long long taken_ = 0;
};

} // namespace kanimo
