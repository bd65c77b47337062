#include "report/plot_series.h"

#include <algorithm>

#include "report/stats_csv.h"

namespace kanimo {

void PlotSeries::add(long long step, const Census& census, int births, int deaths) {
    if (windows_.empty() || windows_.back().steps == windowSteps_) {
        if (windows_.size() == maxWindows) mergePairs();
        Window fresh;
        fresh.firstStep = step;
        windows_.push_back(fresh);
    }
    Window& w = windows_.back();
    const long long dead = census.length - census.living;
    w.deadLeast = w.steps == 0 ? dead : std::min(w.deadLeast, dead);
    w.deadMost = w.steps == 0 ? dead : std::max(w.deadMost, dead);
    ++w.steps;
    w.living += census.living;
    w.dead += dead;
    w.births += births;
    w.deaths += deaths;
    if (census.livingSegments > 0) {
        ++w.sharedSteps;
        for (int k = 0; k < 4; ++k) w.share[k] += census.kindShare[k];
    }
}

void PlotSeries::mergePairs() {
    for (std::size_t i = 0; i < windows_.size() / 2; ++i) {
        const Window& a = windows_[2 * i];
        const Window& b = windows_[2 * i + 1];
        Window merged = a;
        merged.steps += b.steps;
        merged.living += b.living;
        merged.dead += b.dead;
        merged.deadLeast = std::min(a.deadLeast, b.deadLeast);
        merged.deadMost = std::max(a.deadMost, b.deadMost);
        merged.births += b.births;
        merged.deaths += b.deaths;
        merged.sharedSteps += b.sharedSteps;
        for (int k = 0; k < 4; ++k) merged.share[k] += b.share[k];
        windows_[i] = merged;
    }
    windows_.resize(windows_.size() / 2);
    windowSteps_ *= 2;
}

} // namespace kanimo
