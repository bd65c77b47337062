#include <gtest/gtest.h>

#include <optional>

#include "creature/creature.h"
#include "lab/scene.h"
#include "render/frame.h"
#include "render/picture.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

struct GrownWorld {
    World world;
    GrownWorld(int scale, std::uint32_t seed, int steps) {
        world.settings.worldSize = 600 * scale;
        world.settings.initialPopulation = 55 * scale * scale;
        world.settings.refillThreshold = 15 * scale * scale;
        world.settings.refillCount = 10 * scale * scale;
        world.rng.srand(seed);
        seedWorld(world);
        for (int i = 0; i < steps; ++i) worldStep(world);
    }
};

constexpr Colour outside = 0x00123456;

// At 100% the view's picture is the whole frame (what kanimo-sim --png draws) moved by
// the view's offset, on both backgrounds and for views that reach past the world's edges;
// beyond the frame it is the outside colour.
TEST(Scene, AtActualSizeTheViewIsTheFramesPixels) {
    GrownWorld grown(2, 5, 400);
    World& w = grown.world;
    const int side = w.settings.worldSize + 1;
    Random pick;
    pick.srand(9);
    for (const bool plain : {false, true}) {
        Picture whole;
        whole.setSize(side, side);
        composeFrame(whole, w, plain);
        for (int trial = 0; trial < 12; ++trial) {
            const int width = 300 + pick.rand() % 900;
            const int height = 200 + pick.rand() % 600;
            ViewMapping m;
            m.offsetX = pick.rand() % (side + 200) - 100 - width / 4;
            m.offsetY = pick.rand() % (side + 200) - 100 - height / 4;
            Scene scene;
            buildScene(w,
                       SceneRequest{m.offsetX * 1.0, m.offsetY * 1.0, m.offsetX + width * 1.0,
                                    m.offsetY + height * 1.0, false},
                       scene);
            Picture view;
            view.setSize(width, height);
            drawView(view, scene, plain, m, outside);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int fx = x + m.offsetX;
                    const int fy = y + m.offsetY;
                    const bool inFrame = fx >= 0 && fy >= 0 && fx < side && fy < side;
                    ASSERT_EQ(view.pixel(x, y), inFrame ? whole.pixel(fx, fy) : outside)
                        << "view " << width << "x" << height << " at " << m.offsetX << ","
                        << m.offsetY << ", pixel " << x << "," << y;
                }
            }
        }
    }
}

// The creature picked at a point is the one a scan of every shape of every creature of the
// world, in drawing order, finds drawn last there.
TEST(Scene, PickingFindsTheTopMostShapeOfAllShapes) {
    GrownWorld grown(1, 3, 250);
    World& w = grown.world;
    Scene scene;
    buildScene(w, SceneRequest{0, 0, 600, 600, false}, scene);
    Random pick;
    pick.srand(17);
    int hits = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        // Points near creatures, where hits and near misses are.
        const Creature* near = w.creatures.head();
        for (int k = pick.rand() % w.creatures.size(); k > 0; --k) near = near->next;
        const Vec2 p(near->pos.x + (pick.rand() % 8001 - 4000) / 100.0,
                     near->pos.y + (pick.rand() % 8001 - 4000) / 100.0);
        std::uint64_t expected = 0;
        for (const Creature* c : w.creatures) {
            forEachCreatureShape(*c, w.settings.lifespan, [&](const EllipseShape& e) {
                if (ellipseHolds(e, p)) expected = c->lineage.id;
            });
        }
        const std::optional<std::size_t> found = pickCreature(scene, p, 0.0);
        const std::uint64_t got = found ? scene.creatures[*found].id : 0;
        ASSERT_EQ(got, expected) << "at " << p.x << "," << p.y;
        hits += expected != 0;
    }
    EXPECT_GT(hits, 500);
}

} // namespace
} // namespace kanimo
