#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "creature/creature.h"
#include "lab/branches.h"
#include "lab/lab_world.h"
#include "lab/world_walk.h"
#include "report/state_dump.h"
#include "save/save.h"
#include "world/population.h"
#include "world/step.h"

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
    Branches timeline(budget);
    timeline.begin(shown);
    const long long last = 6000;
    while (shown.stepNumber() < last) {
        timeline.stepOn(shown);
        ASSERT_LE(timeline.bytes(), budget);
    }
    EXPECT_GT(timeline.at(0).timeline.interval(), Timeline::firstInterval)
        << "the run should have been thinned";
    EXPECT_EQ(timeline.newestStep(), last);

    Random pick;
    pick.srand(5);
    for (int jump = 0; jump < 16; ++jump) {
        const long long target = jump == 0 ? 0 : jump == 1 ? last : pick.rand31() % (last + 1);
        ASSERT_EQ(timeline.show(shown, target, [](long long) { return true; }), "");
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

std::string unbrokenDump(long long step) {
    LabWorld unbroken(WorldSettings{});
    unbroken.seed(8);
    while (unbroken.stepNumber() < step) unbroken.step();
    return dumpOf(unbroken.world());
}

bool always(long long) {
    return true;
}

// A branch that deletes creature c at step t is the world saved at t, loaded, with c
// removed and stepped on: at every step of it, run live and reached again in any order,
// across the fork and the thinning of both timelines, whose snapshots share one budget.
// The run it came from is still the unbroken run; each record of lives knows its own.
TEST(Branches, ADeletionIsTheSavedWorldWithoutTheCreatureSteppedOn) {
    const long long fork = 900;
    const long long runEnd = 1500;
    const long long branchEnd = 2400;
    LabWorld shown(WorldSettings{});
    shown.seed(8);
    // Room for a few snapshots only, so that both timelines are thinned.
    const std::size_t budget = 5 * shown.snapshot().bytes.size();
    Branches branches(budget);
    branches.begin(shown);
    while (shown.stepNumber() < runEnd) branches.stepOn(shown);
    ASSERT_EQ(branches.show(shown, fork, always), "");
    std::uint64_t chosen = 0;
    int living = 0;
    forEachCreature(shown.world(), [&](const Creature& c) {
        if (c.energy > 0 && ++living == 20) chosen = c.lineage.id;
    });
    ASSERT_NE(chosen, 0u);

    // The oracle, through the save library alone.
    World oracle(WorldSettings{});
    {
        LabWorld atFork(WorldSettings{});
        atFork.seed(8);
        while (atFork.stepNumber() < fork) atFork.step();
        std::vector<SaveSection> extra;
        std::string reason;
        ASSERT_TRUE(loadWorld(encodeWorld(atFork.world()), oracle, extra, reason)) << reason;
        Creature* c = nullptr;
        forEachCreature(oracle, [&](Creature& k) {
            if (k.lineage.id == chosen) c = &k;
        });
        ASSERT_NE(c, nullptr);
        removeCreature(oracle, c);
    }
    std::map<long long, std::string> expected{{fork, dumpOf(oracle)}};
    while (oracle.stepCount < branchEnd) {
        worldStep(oracle);
        if (oracle.stepCount % 97 == 0 || oracle.stepCount <= fork + 2 ||
            oracle.stepCount == branchEnd) {
            expected[oracle.stepCount] = dumpOf(oracle);
        }
    }

    ASSERT_EQ(branches.branch(shown, "deleted",
                              [chosen](LabWorld& w) { return w.deleteCreature(chosen); }),
              "");
    ASSERT_EQ(branches.count(), 2);
    EXPECT_EQ(dumpOf(shown.world()), expected[fork]);
    while (shown.stepNumber() < branchEnd) {
        branches.stepOn(shown);
        ASSERT_LE(branches.bytes(), budget);
        if (expected.count(shown.stepNumber()) != 0) {
            ASSERT_EQ(dumpOf(shown.world()), expected[shown.stepNumber()])
                << "live at step " << shown.stepNumber();
        }
    }
    EXPECT_GT(branches.at(0).timeline.interval(), Timeline::firstInterval);
    EXPECT_GT(branches.at(1).timeline.interval(), Timeline::firstInterval);

    std::vector<long long> targets;
    for (const auto& [step, dump] : expected) targets.push_back(step);
    targets.push_back(fork - 1);
    targets.push_back(fork / 2);
    Random pick;
    pick.srand(9);
    for (std::size_t i = targets.size(); i > 1; --i) {
        std::swap(targets[i - 1], targets[static_cast<std::size_t>(pick.rand31()) % i]);
    }
    for (const long long target : targets) {
        ASSERT_EQ(branches.show(shown, target, always), "");
        const std::string want = target < fork ? unbrokenDump(target) : expected[target];
        ASSERT_EQ(dumpOf(shown.world()), want) << "back at step " << target;
    }
    // Run on from before the fork, as the window's Run does: into the branch's own steps.
    ASSERT_EQ(branches.show(shown, fork - 3, always), "");
    while (shown.stepNumber() < fork + 2) branches.stepOn(shown);
    EXPECT_EQ(dumpOf(shown.world()), expected[fork + 2]);
    const LifeRecord::Life* gone = shown.lives().find(chosen);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->cause, DeathCause::deleted);
    EXPECT_EQ(gone->deathStep, fork);
    EXPECT_EQ(gone->removedStep, fork);

    // To the run and back: each shows its own worlds, and the run never deleted anything.
    const long long leftAt = shown.stepNumber();
    ASSERT_EQ(branches.choose(shown, 0, -1, always), "");
    EXPECT_EQ(shown.stepNumber(), fork);
    EXPECT_EQ(dumpOf(shown.world()), unbrokenDump(fork));
    ASSERT_EQ(branches.show(shown, runEnd, always), "");
    EXPECT_EQ(dumpOf(shown.world()), unbrokenDump(runEnd));
    EXPECT_NE(shown.lives().find(chosen)->cause, DeathCause::deleted);
    ASSERT_EQ(branches.choose(shown, 1, -1, always), "");
    EXPECT_EQ(shown.stepNumber(), leftAt);
    EXPECT_EQ(dumpOf(shown.world()), leftAt < fork ? unbrokenDump(leftAt) : expected[leftAt]);
    EXPECT_EQ(shown.lives().find(chosen)->cause, DeathCause::deleted);
}

// Branches of branches, a deletion and a change of settings among them, run live; then any
// branch at any of its steps, chosen in any order and run on from there, is the world it
// was live, and the census the chart counts is the one taken afresh. A change the loader
// refuses changes nothing.
TEST(Branches, EachBranchShowsItsOwnWorldsWhateverWasShownBefore) {
    LabWorld shown(WorldSettings{});
    shown.seed(8);
    Branches branches;
    branches.begin(shown);
    // What each branch's own steps were live: a hash of the dump.
    std::map<std::pair<int, long long>, std::size_t> live;
    auto note = [&] {
        const int owner = branches.ownerOf(branches.shown(), shown.stepNumber());
        live[{owner, shown.stepNumber()}] = std::hash<std::string>{}(dumpOf(shown.world()));
    };
    auto runTo = [&](long long step) {
        note();
        while (shown.stepNumber() < step) {
            branches.stepOn(shown);
            note();
        }
    };
    runTo(1200);
    ASSERT_EQ(branches.show(shown, 500, always), "");
    std::uint64_t chosen = 0;
    forEachCreature(shown.world(), [&](const Creature& c) { chosen = c.lineage.id; });
    ASSERT_EQ(
        branches.branch(shown, "deleted", [=](LabWorld& w) { return w.deleteCreature(chosen); }),
        "");
    runTo(1400);
    ASSERT_EQ(branches.show(shown, 800, always), "");
    WorldSettings changed = shown.world().settings;
    changed.refillThreshold = 40;
    changed.refillCount = 25;
    ASSERT_EQ(
        branches.branch(shown, "settings", [&](LabWorld& w) { return w.changeSettings(changed); }),
        "");
    runTo(1300);
    EXPECT_EQ(shown.world().settings.refillCount, 25);

    const std::string before = dumpOf(shown.world());
    WorldSettings shortLived = changed;
    shortLived.lifespan = 1000;
    EXPECT_NE(branches.branch(shown, "short-lived",
                              [&](LabWorld& w) { return w.changeSettings(shortLived); }),
              "");
    EXPECT_EQ(branches.count(), 3);
    EXPECT_EQ(dumpOf(shown.world()), before);

    Random pick;
    pick.srand(4);
    for (int jump = 0; jump < 30; ++jump) {
        const int index = static_cast<int>(pick.rand31() % 3);
        const long long newest = branches.at(index).timeline.newestStep();
        const long long step = pick.rand31() % (newest + 1);
        ASSERT_EQ(branches.choose(shown, index, step, always), "");
        const auto seen = live.find({branches.ownerOf(index, step), step});
        ASSERT_NE(seen, live.end());
        ASSERT_EQ(std::hash<std::string>{}(dumpOf(shown.world())), seen->second)
            << "branch " << index << " at step " << step;
        const long long onward = std::min<long long>(newest, step + pick.rand31() % 200);
        while (shown.stepNumber() < onward) branches.stepOn(shown);
        ASSERT_EQ(std::hash<std::string>{}(dumpOf(shown.world())),
                  live.at({branches.ownerOf(index, onward), onward}))
            << "branch " << index << " run on from step " << step << " to " << onward;
        const Census counted = takeCensus(shown.world());
        ASSERT_EQ(shown.census().living, counted.living);
        ASSERT_EQ(shown.census().livingSegments, counted.livingSegments);
    }
}

} // namespace
} // namespace kanimo
