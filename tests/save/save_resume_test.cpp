// A saved world goes on exactly as if it had never stopped, and a file it cannot take is
// refused without touching the world it was to be loaded into.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "save/save.h"
#include "support/same_world.h"
#include "support/world_builder.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

void seeded(World& world, std::uint32_t seed) {
    world.rng.srand(seed);
    seedWorld(world);
}

void run(World& world, StepKind kind, int steps) {
    for (int k = 0; k < steps; ++k) takeStep(world, kind);
}

void setU32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Splits over the first steps, past the 126th tick (where steering starts to remember its
// sines) and, for world steps, across the first splits and refills of seed 2.
TEST(SaveResume, GoesOnBitForBitAsTheUnbrokenRun) {
    struct Split {
        StepKind kind;
        int a;
        int b;
    };
    const Split splits[] = {
        {StepKind::world, 0, 40},     {StepKind::world, 1, 130}, {StepKind::world, 137, 60},
        {StepKind::world, 2230, 150}, {StepKind::fast, 0, 30},   {StepKind::fast, 126, 140},
        {StepKind::fast, 700, 40},
    };
    const std::vector<SaveSection> extra = {{"notes", "carried, not read"}, {"empty", ""}};
    for (const Split& s : splits) {
        SCOPED_TRACE(::testing::Message()
                     << (s.kind == StepKind::fast ? "fast " : "world ") << s.a << " + " << s.b);
        World whole;
        seeded(whole, 2);
        run(whole, s.kind, s.a + s.b);

        World first;
        seeded(first, 2);
        run(first, s.kind, s.a);
        const std::string saved = encodeWorld(first, extra);

        World resumed;
        std::vector<SaveSection> sections;
        std::string error;
        ASSERT_TRUE(loadWorld(saved, resumed, sections, error)) << error;
        ASSERT_EQ(sections.size(), extra.size());
        EXPECT_EQ(sections[0].bytes, extra[0].bytes);
        // Every field written comes back: saving the loaded world gives the same bytes.
        ASSERT_EQ(encodeWorld(resumed, sections), saved);

        run(resumed, s.kind, s.b);
        testing::expectSameWorld(whole, resumed, s.a + s.b);
        EXPECT_EQ(resumed.stepCount, s.a + s.b);
        EXPECT_TRUE(encodeWorld(whole) == encodeWorld(resumed));
    }
}

// A world that has lost its last creature and waits for its refill comes back whole.
TEST(SaveResume, AnEmptyWorldComesBackAndIsSeededAgain) {
    World empty;
    empty.population = 0;
    World loaded;
    std::vector<SaveSection> extra;
    std::string error;
    ASSERT_TRUE(loadWorld(encodeWorld(empty), loaded, extra, error)) << error;
    EXPECT_EQ(loaded.creatures.head(), nullptr);
    EXPECT_EQ(loaded.creatures.tail(), nullptr);
    run(loaded, StepKind::world, 1); // seeds a new world
    EXPECT_EQ(loaded.creatures.size(), loaded.settings.initialPopulation);
}

// States that no run reaches, each one change to a real world, are refused with a reason
// that names the field, and the world being loaded into is kept.
TEST(SaveResume, StatesNoRunReachesAreRefused) {
    struct Case {
        const char* reason;
        void (*change)(World&);
    };
    const Case cases[] = {
        {"segments saved", [](World& w) { testing::addBodiless(w, Vec2(100, 100)); }},
        {"kind", [](World& w) { w.creatures.head()->genome.kinds[0][0] = -1; }},
        {"row has ended",
         [](World& w) {
             w.creatures.head()->genome.angles[6][12] = 10;
             w.creatures.head()->genome.kinds[6][12] = 0;
         }},
        {"marked", [](World& w) { w.creatures.head()->marked = true; }},
        {"partner", [](World& w) { w.creatures.head()->partner = w.creatures.head(); }},
        {"phaseSeed", [](World& w) { w.creatures.head()->phaseSeed = 1.7e308; }},
        {"phaseSeed", [](World& w) { w.creatures.head()->phaseSeed = 12.5; }},
        {"phase", [](World& w) { w.creatures.head()->phase = 1.0; }},
        {"maxEnergy", [](World& w) { w.creatures.head()->maxEnergy = 1e-300; }},
        {"id", [](World& w) { w.creatures.head()->lineage.id = 0; }},
        {"parent id",
         [](World& w) { w.creatures.tail()->lineage.parentId = w.creatures.tail()->lineage.id; }},
        {"does not follow",
         [](World& w) { w.creatures.tail()->lineage.id = w.creatures.head()->lineage.id; }},
        {"generation", [](World& w) { w.creatures.head()->lineage.generation = 3; }},
        {"heading", [](World& w) { w.creatures.head()->heading = 1e15; }},
        {"segment x", [](World& w) { w.creatures.head()->body.segments()[1].pos.x = 1e18; }},
        {"segment reach", [](World& w) { w.creatures.head()->body.segments()[1].reach = 7; }},
        {"lifeLeft", [](World& w) { w.creatures.head()->lifeLeft = w.settings.lifespan + 1.0; }},
    };
    World kept;
    seeded(kept, 4);
    const std::string before = encodeWorld(kept);
    for (const Case& c : cases) {
        World world;
        seeded(world, 3);
        run(world, StepKind::world, 30);
        if (c.reason == std::string("generation")) world.creatures.head()->lineage.parentId = 0;
        c.change(world);
        std::vector<SaveSection> extra;
        std::string error;
        EXPECT_FALSE(loadWorld(encodeWorld(world), kept, extra, error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.reason << ": " << error;
        EXPECT_TRUE(encodeWorld(kept) == before) << c.reason;
    }
}

TEST(SaveResume, ALaterFormatIsRefusedAndTheWorldKept) {
    World world;
    seeded(world, 7);
    run(world, StepKind::world, 20);
    const std::string before = encodeWorld(world);

    World other;
    seeded(other, 8);
    std::string later = encodeWorld(other);
    setU32(later, 8, saveFormatVersion + 1);
    // A later format may put its checksum elsewhere; the version alone decides.
    std::vector<SaveSection> extra = {{"kept", "x"}};
    std::string error;
    EXPECT_FALSE(loadWorld(later, world, extra, error));
    EXPECT_NE(error.find("later Kanimo"), std::string::npos) << error;
    EXPECT_EQ(encodeWorld(world), before);
    ASSERT_EQ(extra.size(), 1u);
}

} // namespace
} // namespace kanimo
