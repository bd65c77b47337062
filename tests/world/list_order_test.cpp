#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "creature/creature.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

// The list as its links give it, from the head along `next`.
std::vector<Creature*> walkOfList(const World& world) {
    std::vector<Creature*> out;
    for (Creature* c = world.creatures.head(); c != nullptr; c = c->next) out.push_back(c);
    return out;
}

// The array the walks of a step use must be the list, whatever changed the list: steps
// with their births and culls, deletions anywhere, refills, reseeding and a world moved
// over from another one (as loading does).
TEST(ListOrder, TheArrayIsTheListAfterAnyChange) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        WorldSettings settings;
        settings.worldSize = 1200; // a few hundred creatures: the contact pass uses its grid
        settings.initialPopulation = 300;
        World world(settings);
        world.rng.srand(seed);
        seedWorld(world);
        std::mt19937 pick(seed);
        for (int round = 0; round < 400; ++round) {
            const std::vector<Creature*> before = walkOfList(world);
            switch (pick() % 8) {
            case 0:
                fastStep(world);
                break;
            case 1: {
                if (before.empty()) break;
                removeCreature(world, before[pick() % before.size()]);
                break;
            }
            case 2:
                if (!before.empty()) removeCreature(world, before.back());
                break;
            case 3:
                addCreatures(world, 3);
                break;
            case 4:
                if (pick() % 20 == 0) seedWorld(world);
                break;
            case 5: {
                World other(settings);
                other.rng.srand(seed + 100);
                seedWorld(other);
                fastStep(other);
                world = std::move(other);
                break;
            }
            default:
                worldStep(world);
                break;
            }
            const std::vector<Creature*> walked = walkOfList(world);
            ASSERT_EQ(world.creatures.inOrder(), walked) << "seed " << seed << ", round " << round;
            ASSERT_EQ(world.creatures.tail(), walked.empty() ? nullptr : walked.back());
        }
    }
}

} // namespace
} // namespace kanimo
