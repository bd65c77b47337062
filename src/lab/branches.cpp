#include "lab/branches.h"

#include <utility>

namespace kanimo {

void Branches::begin(const LabWorld& world) {
    branches_.clear();
    branches_.emplace_back();
    Branch& run = branches_.back();
    run.forkStep = world.stepNumber();
    run.shownStep = world.stepNumber();
    run.timeline.begin(world);
    shown_ = 0;
    worldAstray_ = false;
    keepWithinBudget();
}

int Branches::ownerOf(int index, long long step) const {
    while (at(index).parent >= 0 && at(index).forkStep > step) index = at(index).parent;
    return index;
}

void Branches::stepOn(LabWorld& world) {
    if (takeNextStep(world)) afterStep(world);
}

bool Branches::takeNextStep(LabWorld& world) {
    const long long next = world.stepNumber() + 1;
    const Branch& branch = at(ownerOf(shown_, next));
    if (branch.parent >= 0 && branch.forkStep == next) {
        // The branch's first step is the changed world, which no step of the world it came
        // from leads to.
        (void)world.restore(*branch.timeline.atOrBefore(next));
        return false;
    }
    world.step();
    return true;
}

void Branches::afterStep(const LabWorld& world) {
    mutableAt(ownerOf(shown_, world.stepNumber())).timeline.afterStep(world);
    keepWithinBudget();
}

std::string Branches::branch(LabWorld& world, const std::string& what,
                             const std::function<std::string(LabWorld&)>& change) {
    const long long step = world.stepNumber();
    const int parent = ownerOf(shown_, step);
    // The new branch's record is the shown one's as it stood at this step; the shown one
    // keeps what it knows of its own later steps.
    LifeRecord forked = world.lives().upTo(step);
    world.swapLives(forked);
    if (std::string problem = change(world); !problem.empty()) {
        world.swapLives(forked);
        return problem;
    }
    Branch& left = mutableAt(shown_);
    left.lives = std::move(forked);
    left.shownStep = step;
    branches_.emplace_back();
    Branch& made = branches_.back();
    made.parent = parent;
    made.forkStep = step;
    made.change = what;
    made.shownStep = step;
    made.timeline.begin(world);
    shown_ = count() - 1;
    keepWithinBudget();
    return {};
}

std::size_t Branches::bytes() const {
    std::size_t total = 0;
    for (const Branch& b : branches_) total += b.timeline.bytes();
    return total;
}

// Thins the timeline holding the most until all fit; the first snapshot of each, where its
// branch starts, is kept whatever it costs.
void Branches::keepWithinBudget() {
    std::size_t total = bytes();
    while (total > budget_) {
        Branch* largest = nullptr;
        for (Branch& b : branches_) {
            if (b.timeline.count() > 1 &&
                (largest == nullptr || b.timeline.bytes() > largest->timeline.bytes())) {
                largest = &b;
            }
        }
        if (largest == nullptr) return;
        const std::size_t before = largest->timeline.bytes();
        largest->timeline.thin();
        total = total - before + largest->timeline.bytes();
    }
}

} // namespace kanimo
