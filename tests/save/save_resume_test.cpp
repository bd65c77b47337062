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

// States no run of a few steps reaches: a body not grown yet, a doomed body, partners,
// a marked creature, a world that lost its last creature and waits for its refill.
TEST(SaveResume, HandMadeStatesComeBackWhole) {
    World world;
    Creature& bodiless = testing::addBodiless(world, Vec2(100, 100), 30);
    Genome doomedGenome = testing::uniformGenome({3, 2}, 45, 1);
    doomedGenome.kinds[1][1] = -1;
    Creature& doomed = testing::addCreature(world, Vec2(300, 300), doomedGenome);
    Creature& marked =
        testing::addCreature(world, Vec2(500, 100), testing::uniformGenome({13}, 360, 3));
    marked.marked = true;
    bodiless.partner = &marked;
    marked.partner = &bodiless;
    doomed.partner = &doomed;
    const std::string saved = encodeWorld(world);

    World loaded;
    std::vector<SaveSection> extra;
    std::string error;
    ASSERT_TRUE(loadWorld(saved, loaded, extra, error)) << error;
    EXPECT_EQ(encodeWorld(loaded), saved);
    ASSERT_EQ(loaded.creatures.size(), 3);
    const Creature* first = loaded.creatures.head();
    EXPECT_EQ(first->body.firstLimb(), nullptr);
    EXPECT_EQ(first->partner, loaded.creatures.tail());
    EXPECT_TRUE(first->next->doomed);
    EXPECT_EQ(loaded.creatures.tail()->next, nullptr);
    run(loaded, StepKind::world, 1); // culls the doomed one, then refills
    EXPECT_EQ(loaded.creatures.size(), 2 + loaded.settings.refillCount);
    EXPECT_FALSE(loaded.creatures.head()->next->doomed);

    World empty;
    empty.population = 0;
    ASSERT_TRUE(loadWorld(encodeWorld(empty), loaded, extra, error)) << error;
    EXPECT_EQ(loaded.creatures.head(), nullptr);
    EXPECT_EQ(loaded.creatures.tail(), nullptr);
    run(loaded, StepKind::world, 1); // seeds a new world
    EXPECT_EQ(loaded.creatures.size(), loaded.settings.initialPopulation);
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
