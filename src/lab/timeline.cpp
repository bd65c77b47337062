#include "lab/timeline.h"

#include <algorithm>

#include "base/cpu_time.h"

namespace kanimo {

namespace {

std::size_t sizeOf(const LabSnapshot& s) {
    return s.bytes.size() + s.plot.windows().size() * sizeof(PlotSeries::Window);
}

} // namespace

void Timeline::begin(const LabWorld& world) {
    snapshots_.clear();
    bytes_ = 0;
    interval_ = firstInterval;
    firstStep_ = world.stepNumber();
    newestStep_ = firstStep_;
    snapshots_.push_back(world.snapshot());
    bytes_ += sizeOf(snapshots_.back());
    lastSnapshotEnd_ = threadCpuSeconds();
}

void Timeline::afterStep(const LabWorld& world) {
    const long long step = world.stepNumber();
    newestStep_ = std::max(newestStep_, step);
    if ((step - firstStep_) % interval_ != 0) return;
    // A replay passes the places of snapshots it has already.
    auto at = std::lower_bound(snapshots_.begin(), snapshots_.end(), step,
                               [](const LabSnapshot& s, long long k) { return s.step < k; });
    if (at != snapshots_.end() && at->step == step) return;
    const double start = threadCpuSeconds();
    ++taken_;
    at = snapshots_.insert(at, world.snapshot());
    bytes_ += sizeOf(*at);
    const double end = threadCpuSeconds();
    // Steps ahead of the newest run at the interval that made their snapshot worth it.
    if (step == newestStep_ && lastSnapshotEnd_ >= 0) {
        double stepping = start - lastSnapshotEnd_;
        for (double cost = end - start; cost > costShare * stepping && interval_ < (1LL << 40);
             stepping *= 2) {
            interval_ *= 2;
        }
    }
    lastSnapshotEnd_ = end;
    while (bytes_ > budget_ && snapshots_.size() > 1) thin();
}

// Keeps the snapshots on the doubled interval, the first one always among them.
bool Timeline::thin() {
    if (snapshots_.size() <= 1) return false;
    interval_ *= 2;
    std::vector<LabSnapshot> kept;
    bytes_ = 0;
    for (LabSnapshot& s : snapshots_) {
        if ((s.step - firstStep_) % interval_ == 0) {
            bytes_ += sizeOf(s);
            kept.push_back(std::move(s));
        }
    }
    snapshots_ = std::move(kept);
    return true;
}

const LabSnapshot* Timeline::atOrBefore(long long step) const {
    auto after = std::upper_bound(snapshots_.begin(), snapshots_.end(), step,
                                  [](long long k, const LabSnapshot& s) { return k < s.step; });
    if (after == snapshots_.begin()) return nullptr;
    return &*(after - 1);
}

} // namespace kanimo
