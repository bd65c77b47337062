#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "creature/creature.h"
#include "lab/lab_world.h"
#include "lab/stepper.h"
#include "report/state_dump.h"
#include "support/sim_shell.h"
#include "world/settings.h"

namespace kanimo {
namespace {

using testing::runShell;
using testing::scratchDir;

std::string dumpOf(const World& world) {
    std::string text;
    StateDump dump;
    dump.append(text, world, world.stepCount);
    return text;
}

const Creature* findCreature(const World& world, std::uint64_t id) {
    for (const Creature* c : world.creatures) {
        if (c->lineage.id == id) return c;
    }
    return nullptr;
}

// A world run in the Lab, by running, pausing and single steps, with a view asking for
// scenes, a creature selected and the charts kept, is the world kanimo-sim computes for
// the same seed, scale and settings after as many steps. The inspector's card is the
// selected creature's, read at the same step.
TEST(LabWorld, RunsTheWorldKanimoSimRuns) {
    WorldSettings settings;
    settings.worldSize = 1200;
    settings.initialPopulation = 220;
    settings.refillThreshold = 60;
    settings.refillCount = 40;
    settings.lifespan = 2500;
    auto world = std::make_unique<LabWorld>(settings);
    world->seed(31);
    Stepper stepper(std::move(world));
    stepper.setView(SceneRequest{100, 100, 700, 500, false});
    stepper.setSpeed(0);
    for (int i = 0; i < 5; ++i) stepper.stepOnce();
    stepper.waitForStep(5);

    // Select a creature drawn in the view, and press on another (a click that may follow).
    std::uint64_t selected = 0;
    std::uint64_t pressed = 0;
    for (int tries = 0; selected == 0 && tries < 100; ++tries) {
        const auto p = stepper.latest();
        if (!p->scene.creatures.empty()) selected = p->scene.creatures.back().id;
        if (p->scene.creatures.size() > 1) pressed = p->scene.creatures.front().id;
    }
    ASSERT_NE(selected, 0u);
    ASSERT_NE(pressed, 0u);
    stepper.select(selected);
    stepper.expect(pressed);

    stepper.setRunning(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stepper.setRunning(false);
    stepper.stepOnce();
    stepper.setSpeed(200);
    stepper.setRunning(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stepper.setRunning(false);
    stepper.stepOnce();

    struct Seen {
        long long step;
        std::string dump;
        bool present;
        CreatureCard card;
        CreatureCard pressedCard;
    };
    const Seen seen = stepper.call([selected, pressed](LabWorld& w) {
        const Creature* c = findCreature(w.world(), selected);
        const Creature* p = findCreature(w.world(), pressed);
        return Seen{w.stepNumber(), dumpOf(w.world()), c != nullptr,
                    c != nullptr ? readCard(*c, w.world()) : CreatureCard{},
                    p != nullptr ? readCard(*p, w.world()) : CreatureCard{}};
    });
    ASSERT_GT(seen.step, 7);
    stepper.waitForStep(seen.step);

    const auto sim = runShell("\"$sim\" --seed 31 --set worldSize=1200 --set initialPopulation=220 "
                              "--set refillThreshold=60 --set refillCount=40 --set lifespan=2500 "
                              "--steps " +
                              std::to_string(seen.step) + " --dump");
    ASSERT_EQ(sim.status, 0) << sim.err;
    EXPECT_EQ(seen.dump, sim.out);

    // The inspector's values are the world's for the selected id.
    const Selection& s = stepper.latest()->selection;
    ASSERT_EQ(s.id, selected);
    EXPECT_EQ(s.inWorld, seen.present);
    if (seen.present) {
        const CreatureCard& c = s.card;
        EXPECT_EQ(c.id, selected);
        EXPECT_EQ(c.energy, seen.card.energy);
        EXPECT_EQ(c.size, seen.card.size);
        EXPECT_EQ(c.heading, seen.card.heading);
        EXPECT_EQ(c.speed, seen.card.speed);
        EXPECT_EQ(c.age, seen.step - c.birthStep);
        EXPECT_EQ(c.genomeText, seen.card.genomeText);
        int counted = 0;
        for (int k : c.segmentsByKind) counted += k;
        EXPECT_LE(counted, c.segments);
    }
    // The creature pressed on was read ahead from the same step, as a selection would be.
    const Selection& e = stepper.latest()->expected;
    ASSERT_EQ(e.id, pressed);
    EXPECT_EQ(e.inWorld, seen.pressedCard.id != 0);
    if (e.inWorld) {
        EXPECT_EQ(e.card.energy, seen.pressedCard.energy);
        EXPECT_EQ(e.card.pos.x, seen.pressedCard.pos.x);
        EXPECT_EQ(e.card.genomeText, seen.pressedCard.genomeText);
    }
}

// A world saved in the Lab goes on in kanimo-sim exactly: its dump and its family tree
// after more steps are those of the unbroken run.
TEST(LabWorld, ASavedWorldGoesOnInKanimoSim) {
    const auto dir = scratchDir("lab-save");
    LabWorld world(WorldSettings{});
    world.seed(4);
    for (int i = 0; i < 700; ++i) world.step();
    const std::string path = (dir / "lab.sav").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << world.saveBytes();
    }
    const auto resumed = runShell("\"$sim\" --load '" + path + "' --steps 300 --dump --tree '" +
                                  (dir / "resumed.nwk").string() + "'");
    const auto unbroken = runShell("\"$sim\" --seed 4 --steps 1000 --dump --tree '" +
                                   (dir / "unbroken.nwk").string() + "'");
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    ASSERT_EQ(unbroken.status, 0) << unbroken.err;
    EXPECT_EQ(resumed.out, unbroken.out);
    EXPECT_EQ(testing::readFile(dir / "resumed.nwk"), testing::readFile(dir / "unbroken.nwk"));

    // And a world kanimo-sim saved goes on in the Lab as it would in kanimo-sim.
    LabWorld loaded(WorldSettings{});
    ASSERT_EQ(loaded.load(path), "");
    for (int i = 0; i < 300; ++i) loaded.step();
    EXPECT_EQ(dumpOf(loaded.world()), unbroken.out);
}

// The record of lives agrees with every creature's own lineage, the chart's dead band
// holds its mean, and a selected creature that left the world keeps its last card and
// says when it died and left.
TEST(LabWorld, RecordsLivesAndKeepsTheLastCardOfTheGone) {
    auto owned = std::make_unique<LabWorld>(WorldSettings{});
    owned->seed(2);
    Stepper stepper(std::move(owned));
    const std::uint64_t chosen = 7;
    stepper.select(chosen);
    for (int i = 0; i < 3; ++i) stepper.stepOnce();
    stepper.waitForStep(3);
    const CreatureCard early = stepper.latest()->selection.card;
    ASSERT_EQ(early.id, chosen);

    stepper.call([](LabWorld& w) {
        while (w.stepNumber() < 6000) w.step();
        return 0;
    });
    stepper.stepOnce();
    stepper.waitForStep(6001);
    const Selection gone = stepper.latest()->selection;
    const bool checked = stepper.call([&](LabWorld& w) {
        const LifeRecord& lives = w.lives();
        for (const Creature* c : w.world().creatures) {
            const LifeRecord::Life* life = lives.find(c->lineage.id);
            EXPECT_NE(life, nullptr);
            if (life == nullptr) return false;
            EXPECT_EQ(life->parentId, c->lineage.parentId);
            EXPECT_EQ(life->birthStep, c->lineage.birthStep);
            EXPECT_EQ(life->deathStep, c->lineage.deathStep);
            EXPECT_EQ(life->removedStep, -1);
            if (c->lineage.parentId != 0) {
                const auto siblings = lives.childrenOf(c->lineage.parentId);
                EXPECT_NE(std::find(siblings.begin(), siblings.end(), c->lineage.id),
                          siblings.end());
            }
        }
        for (const PlotSeries::Window& win : w.plot().windows()) {
            EXPECT_LE(win.deadLeast * win.steps, win.dead);
            EXPECT_GE(win.deadMost * win.steps, win.dead);
        }
        return findCreature(w.world(), 7) == nullptr;
    });
    EXPECT_TRUE(checked) << "creature 7 should be long gone after 6000 steps";
    EXPECT_FALSE(gone.inWorld);
    EXPECT_EQ(gone.card.id, chosen);
    EXPECT_EQ(gone.card.genomeText, early.genomeText);
    EXPECT_GE(gone.card.deathStep, 3);
    EXPECT_NE(gone.card.cause, DeathCause::none);
    EXPECT_GE(gone.removedStep, gone.card.deathStep);
}

// The Lab counts the world without reading every segment; its census is the one --stats
// and --plot take, to the bit, after every step of runs that see refills, splits and
// bites, in a default world and a wider, shorter-lived one.
TEST(LabWorld, CountsTheWorldAsTheStatsDo) {
    for (const int scale : {1, 2}) {
        WorldSettings settings;
        settings.worldSize *= scale;
        settings.initialPopulation *= scale * scale;
        settings.refillThreshold *= scale * scale;
        settings.refillCount *= scale * scale;
        if (scale == 2) settings.lifespan = 900;
        LabWorld lab(settings);
        lab.seed(11);
        for (int i = 0; i < (scale == 1 ? 4000 : 800); ++i) {
            lab.step();
            const Census expected = takeCensus(lab.world());
            const Census& got = lab.census();
            ASSERT_EQ(got.length, expected.length) << "step " << lab.stepNumber();
            ASSERT_EQ(got.living, expected.living) << "step " << lab.stepNumber();
            ASSERT_EQ(got.livingSegments, expected.livingSegments) << "step " << lab.stepNumber();
            ASSERT_EQ(got.meanSize, expected.meanSize) << "step " << lab.stepNumber();
            ASSERT_EQ(got.meanEnergy, expected.meanEnergy) << "step " << lab.stepNumber();
            for (int k = 0; k < 4; ++k) ASSERT_EQ(got.kindShare[k], expected.kindShare[k]);
        }
    }
}

} // namespace
} // namespace kanimo
