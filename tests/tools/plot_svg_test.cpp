#include "outputs/plot_svg.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "report/plot_series.h"
#include "report/stats_csv.h"

namespace kanimo {
namespace {

// The step axis's labels, in the order drawn.
std::vector<long long> stepLabels(const std::string& svg) {
    static const std::regex label("text-anchor='middle'>(\\d+)</text>");
    std::vector<long long> steps;
    for (std::sregex_iterator it(svg.begin(), svg.end(), label), end; it != end; ++it) {
        steps.push_back(std::stoll((*it)[1]));
    }
    return steps;
}

// A run loaded at a step past 2^53, where adding a step to a double changes nothing, is
// drawn like one that starts at 0: a few round labels within its steps, each a step.
TEST(PlotSvg, StepAxisHoldsAtAnyStepNumber) {
    for (const long long first : {0LL, (1LL << 53) + 1, (1LL << 62) - 100}) {
        PlotSeries series;
        Census census;
        census.length = census.living = 10;
        for (long long k = 0; k <= 37; ++k) series.add(first + k, census, 1, 1);
        const std::vector<long long> labels = stepLabels(plotSvg(series, "t"));
        // Three panels, each with the same axis.
        ASSERT_FALSE(labels.empty()) << first;
        ASSERT_EQ(labels.size() % 3, 0u) << first;
        const std::size_t perPanel = labels.size() / 3;
        EXPECT_LE(perPanel, 11u) << first;
        EXPECT_GE(perPanel, 3u) << first;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_GE(labels[i], first) << first;
            EXPECT_LE(labels[i], first + 38) << first;
            EXPECT_EQ(labels[i] % 5, 0) << first; // the spacing of 38 steps over 10 ticks
            if (i % perPanel != 0) {
                EXPECT_EQ(labels[i] - labels[i - 1], 5) << first;
            }
        }
    }
}

} // namespace
} // namespace kanimo
