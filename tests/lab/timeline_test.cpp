#include <gtest/gtest.h>

#include <string>

#include "lab/lab_world.h"
#include "lab/timeline.h"
#include "report/state_dump.h"

namespace kanimo {
namespace {

std::string dumpOf(const World& world) {
    std::string text;
    StateDump dump;
    dump.append(text, world, world.stepCount);
    return text;
}

// The world shown at any step after any sequence of jumps, back and forth and across the
// thinning of snapshots, is the unbroken run's world at that step, charts included; the
// snapshots stay within their budget all along.
TEST(Timeline, AnyStepAfterAnyJumpsIsTheUnbrokenRunsStep) {
    const std::size_t budget = std::size_t{3} << 20;
    LabWorld shown(WorldSettings{});
    shown.seed(3);
    Timeline timeline(budget);
    timeline.begin(shown);
    const long long last = 6000;
    while (shown.stepNumber() < last) {
        shown.step();
        timeline.afterStep(shown);
        ASSERT_LE(timeline.bytes(), budget);
    }
    EXPECT_GT(timeline.interval(), Timeline::firstInterval) << "the run should have been thinned";
    EXPECT_EQ(timeline.newestStep(), last);

    Random pick;
    pick.srand(5);
    for (int jump = 0; jump < 16; ++jump) {
        const long long target = jump == 0 ? 0 : jump == 1 ? last : pick.rand31() % (last + 1);
        ASSERT_EQ(showStep(shown, timeline, target, [](long long) { return true; }), "");
        ASSERT_EQ(shown.stepNumber(), target);
        LabWorld unbroken(WorldSettings{});
        unbroken.seed(3);
        while (unbroken.stepNumber() < target) unbroken.step();
        ASSERT_EQ(dumpOf(shown.world()), dumpOf(unbroken.world())) << "at step " << target;
        const auto& a = shown.plot().windows();
        const auto& b = unbroken.plot().windows();
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i].living, b[i].living);
            ASSERT_EQ(a[i].births, b[i].births);
            ASSERT_EQ(a[i].deadMost, b[i].deadMost);
        }
        EXPECT_EQ(shown.saveBytes(), unbroken.saveBytes()) << "at step " << target;
    }
}

} // namespace
} // namespace kanimo
