#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "lab/lab_world.h"
#include "lab/life_record.h"
#include "lab/timeline.h"

namespace kanimo {

// The run and the branches made from it: a change to the world at some step (a creature
// deleted, a setting changed) starts a branch there, and the run it came from stays as it
// was. Each branch has its own snapshots, from the changed world on, and its own record of
// lives, the one it came from as it stood at that step; its earlier steps are those of the
// branch it came from. All the snapshots share one memory budget: when they outgrow it, the
// timeline holding the most is thinned.
//
// One branch is shown at a time, in one LabWorld: the world is always that branch's world
// at the world's step, and holds that branch's record of lives.
class Branches {
  public:
    struct Branch {
        int parent = -1;        // the branch its steps before `forkStep` belong to; -1: none
        long long forkStep = 0; // its first step of its own
        std::string change;     // what was changed, as the window lists it
        Timeline timeline{static_cast<std::size_t>(-1)};
        LifeRecord lives;        // while another branch is shown
        long long shownStep = 0; // the step shown when another was chosen
    };

    explicit Branches(std::size_t budget = Timeline::defaultBudget) : budget_(budget) {}

    // The world as it starts: one branch, the run.
    void begin(const LabWorld& world);

    // The next step of the branch shown: a world step, or, where a branch on the way to it
    // starts, its changed world.
    void stepOn(LabWorld& world);
    // The same without its snapshot: true when a world step was taken, which afterStep must
    // then follow before the next one (the stepper publishes in between, so that a click is
    // not kept waiting behind a snapshot).
    bool takeNextStep(LabWorld& world);
    // What follows a world step of the branch shown: a snapshot where one is due.
    void afterStep(const LabWorld& world);

    // Shows `step` of the branch shown: on from the world's own step when that is nearer
    // than the nearest snapshot, otherwise from that snapshot. `progress` is told of every
    // step taken and may return false to stop early. Returns an empty string, or why not.
    template <typename Progress>
    std::string show(LabWorld& world, long long step, Progress&& progress);

    // Changes the world shown at its step with `change` (which returns one line on failure
    // and then leaves the world as it was) and starts a branch there, `what` naming the
    // change. The new branch is shown. Returns an empty string, or the change's failure.
    std::string branch(LabWorld& world, const std::string& what,
                       const std::function<std::string(LabWorld&)>& change);

    // Shows branch `index` at the step it was left at, or at `step` when that is 0 or more.
    template <typename Progress>
    std::string choose(LabWorld& world, int index, long long step, Progress&& progress);

    int shown() const { return shown_; }
    int count() const { return static_cast<int>(branches_.size()); }
    const Branch& at(int index) const { return branches_[static_cast<std::size_t>(index)]; }
    // The steps of the branch shown: from the run's first to the branch's newest.
    long long firstStep() const { return branches_.front().timeline.firstStep(); }
    long long newestStep() const { return at(shown_).timeline.newestStep(); }
    // The branch of `index` whose own steps hold `step`.
    int ownerOf(int index, long long step) const;
    // The memory of every snapshot of every branch.
    std::size_t bytes() const;

  private:
    Branch& mutableAt(int index) { return branches_[static_cast<std::size_t>(index)]; }
    void keepWithinBudget();

    std::size_t budget_;
    std::vector<Branch> branches_;
    int shown_ = 0;
    bool worldAstray_ = false; // the world is not the shown branch's: restore before stepping
};

template <typename Progress>
std::string Branches::show(LabWorld& world, long long step, Progress&& progress) {
    if (step < firstStep()) return "step " + std::to_string(step) + " is before the run began";
    const LabSnapshot* from = at(ownerOf(shown_, step)).timeline.atOrBefore(step);
    const bool onward = !worldAstray_ && world.stepNumber() <= step &&
                        (from == nullptr || from->step <= world.stepNumber());
    if (!onward) {
        if (std::string problem = world.restore(*from); !problem.empty()) return problem;
        worldAstray_ = false;
    }
    while (world.stepNumber() < step) {
        stepOn(world);
        if (!progress(world.stepNumber())) break;
    }
    return {};
}

template <typename Progress>
std::string Branches::choose(LabWorld& world, int index, long long step, Progress&& progress) {
    if (index != shown_) {
        mutableAt(shown_).shownStep = world.stepNumber();
        // The record goes with its branch; the chosen one's comes to the world.
        world.swapLives(mutableAt(shown_).lives);
        world.swapLives(mutableAt(index).lives);
        shown_ = index;
        worldAstray_ = true;
    }
    return show(world, step >= 0 ? step : at(index).shownStep, progress);
}

} // namespace kanimo
