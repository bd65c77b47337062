#pragma once

#include <cstddef>
#include <vector>

namespace kanimo {

struct Census;

// What --plot draws, step by step, kept in a bounded number of windows of equal length:
// when every window is taken, neighbours merge in pairs and the windows double in length.
// A run of any length then costs the same memory, and the chart keeps a point per window.
class PlotSeries {
  public:
    static constexpr std::size_t maxWindows = 512; // even, so that windows merge in pairs

    struct Window {
        long long firstStep = 0;
        long long steps = 0;  // the last window of a run may be short
        long long living = 0; // sums over the window's steps
        long long dead = 0;
        // The fewest and most dead of any one step of the window: the dead come and go in
        // waves shorter than a long window, which their mean alone flattens.
        long long deadLeast = 0;
        long long deadMost = 0;
        long long births = 0;
        long long deaths = 0;
        long long sharedSteps = 0; // steps with a living segment, over which shares are summed
        double share[4] = {0.0, 0.0, 0.0, 0.0};
    };

    // The world after step k; deaths are lives that ended during the step.
    void add(long long step, const Census& census, int births, int deaths);

    const std::vector<Window>& windows() const { return windows_; }
    long long windowSteps() const { return windowSteps_; }

  private:
    void mergePairs();

    std::vector<Window> windows_;
    long long windowSteps_ = 1;
};

} // namespace kanimo
