#include "render/frame.h"

#include <gtest/gtest.h>

#include <memory>

#include "creature/creature.h"
#include "filled_picture.h"
#include "render/background.h"
#include "render/picture.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

Genome emptyGenome() {
    Genome g;
    for (int r = 0; r < genomeRows; ++r) {
        for (int k = 0; k < genomeColumns; ++k) {
            g.angles[r][k] = emptyCell;
            g.kinds[r][k] = emptyCell;
        }
    }
    return g;
}

void setCell(Genome& g, int row, int column, int kind) {
    g.angles[row][column] = 0;
    g.kinds[row][column] = kind;
}

Creature& addCreature(World& w, Vec2 pos, const Genome& genome, double size) {
    Creature& c =
        w.creatures.append(std::make_unique<Creature>(w.settings, w.rng, pos, 0.0, false));
    growBody(w.settings, c, genome);
    c.size = size;
    c.swing = 0;
    for (Segment& s : c.body.segments()) {
        s.pos = pos;
        s.size = 8;
    }
    return c;
}

Segment* chainTip(Segment* head) {
    while (head->next() != nullptr) head = head->next();
    return head;
}

void place(Segment& s, double x, double y, double size) {
    s.pos = Vec2(x, y);
    s.size = size;
}

// Three creatures: A with two limbs, B marked and drawn over A's body, C across the left
// edge of the picture.
struct HandMadeWorld {
    World w;

    HandMadeWorld() {
        Genome twoLimbs = emptyGenome();
        setCell(twoLimbs, 0, 0, 1);
        setCell(twoLimbs, 0, 1, 2);
        setCell(twoLimbs, 1, 0, 0);
        setCell(twoLimbs, 1, 1, 3);
        Creature& a = addCreature(w, Vec2(100, 100), twoLimbs, 20);
        // Every segment starts under the body; the tips of both limbs and the second head
        // are moved out.
        Segment* first = a.body.firstLimb();
        Segment* second = first->nextLimb();
        place(*first, 100, 100, 12);
        place(*chainTip(first), 130, 100, 10);
        place(*second, 100, 130, 10);
        place(*chainTip(second), 100, 136, 10);

        Genome rootOnly = emptyGenome();
        setCell(rootOnly, 0, 0, 2);
        addCreature(w, Vec2(108, 100), rootOnly, 20).marked = true;
        addCreature(w, Vec2(2, 300), rootOnly, 20);
    }
};

TEST(Frame, DrawsLimbsThenBodiesInListOrder) {
    HandMadeWorld world;
    Picture p;
    p.setSize(601, 601);
    composeFrame(p, world.w, true);

    EXPECT_EQ(p.pixel(300, 500), 0x00808080u);
    EXPECT_EQ(p.pixel(130, 100), 0x0050C050u); // A's first limb tip, kind 2 at depth 1
    EXPECT_EQ(p.pixel(100, 132), 0x00C85050u); // A's second head over its own chain
    EXPECT_EQ(p.pixel(100, 139), 0x0028C0C0u); // that chain's tip, kind 3 at depth 1
    EXPECT_EQ(p.pixel(95, 100), 0x003232B4u);  // A's body over its root
    EXPECT_EQ(p.pixel(104, 110), 0x0050BE50u); // A's life crescent
    EXPECT_EQ(p.pixel(112, 100), 0x009696DEu); // B's body over A's growth crescent
    // C is clipped at the left edge; nothing of it wraps to the right.
    EXPECT_EQ(p.pixel(0, 300), 0x003232B4u);
    EXPECT_EQ(p.pixel(600, 300), 0x00808080u);
    EXPECT_EQ(p.pixel(599, 300), 0x00808080u);

    composeFrame(p, world.w, false);
    EXPECT_EQ(p.pixel(300, 0), 0x00326469u);
    EXPECT_EQ(p.pixel(130, 100), 0x0050C050u);
    EXPECT_EQ(p.pixel(112, 100), 0x009696DEu);
}

TEST(Frame, EmptyWorldIsTheBackgroundAlone) {
    World w;
    Picture frame;
    frame.setSize(601, 601);
    composeFrame(frame, w, false);
    Picture background;
    background.setSize(601, 601);
    paintBackground(background, false, 600);
    for (int y = 0; y < 601; ++y) {
        for (int x = 0; x < 601; ++x) ASSERT_EQ(frame.pixel(x, y), background.pixel(x, y));
    }
}

// A part of the frame, composed on its own into a picture with an origin, has exactly the
// pixels of that part of the whole frame: on both backgrounds, for parts at the edges and
// parts cut through creatures, in a default world and in a wider one.
TEST(Frame, APartOfTheFrameEqualsThatPartOfTheWholeFrame) {
    for (const int side : {600, 1800}) {
        World w;
        w.settings.worldSize = side;
        w.settings.initialPopulation = 55 * (side / 600) * (side / 600);
        w.rng.srand(7);
        seedWorld(w);
        for (int i = 0; i < 150; ++i) worldStep(w);
        Random pick;
        pick.srand(11);
        for (const bool plain : {false, true}) {
            Picture whole;
            whole.setSize(side + 1, side + 1);
            composeFrame(whole, w, plain);
            for (int trial = 0; trial < 40; ++trial) {
                const int width = 1 + static_cast<int>(pick.rand31() % 300);
                const int height = 1 + static_cast<int>(pick.rand31() % 300);
                const int left = static_cast<int>(pick.rand31() % (side + 2 - width));
                const int top = static_cast<int>(pick.rand31() % (side + 2 - height));
                Picture part;
                part.setSize(width, height);
                part.setOrigin(left, top);
                composeFrame(part, w, plain);
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < width; ++x) {
                        ASSERT_EQ(part.pixel(x, y), whole.pixel(left + x, top + y))
                            << "side " << side << ", part " << width << "x" << height << "+" << left
                            << "+" << top << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace kanimo
