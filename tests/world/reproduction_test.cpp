#include "world/population.h"

#include <gtest/gtest.h>

#include "support/world_builder.h"

namespace kanimo {
namespace {

using testing::addBodiless;

TEST(Reproduction, AppendsMutantThenTwoCopies) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        World world;
        world.rng.srand(seed);
        Creature& parent = addBodiless(world, Vec2(120, 340));
        Genome g;
        randomGenome(world.rng, g);
        parent.genome = g;

        Random replay = world.rng;
        reproduce(world, parent);

        const Genome mutant = mutate(replay, g);
        ASSERT_EQ(world.creatures.size(), 4);
        Creature* children[] = {parent.next, parent.next->next, parent.next->next->next};
        EXPECT_EQ(children[0]->genome, mutant);
        EXPECT_EQ(children[1]->genome, g);
        EXPECT_EQ(children[2]->genome, g);
        EXPECT_EQ(parent.genome, g);
        EXPECT_EQ(world.creatures.tail(), children[2]);
        for (Creature* child : children) {
            EXPECT_EQ(child->pos.x, 120);
            EXPECT_EQ(child->pos.y, 340);
            EXPECT_NE(child->body.firstLimb(), nullptr);
            Genome discarded;
            randomGenome(replay, discarded);
            EXPECT_EQ(child->heading, replay.random(360));
            EXPECT_EQ(child->phaseSeed, replay.rand());
        }
        EXPECT_EQ(world.rng.low, replay.low);
        EXPECT_EQ(world.rng.high, replay.high);
    }
}

} // namespace
} // namespace kanimo
