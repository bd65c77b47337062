#include "report/state_dump.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

#include "base/random.h"
#include "support/world_builder.h"
#include "world/population.h"

namespace kanimo {
namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::vector<std::string> lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

std::string printed(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

TEST(StateDump, DoublesAreWrittenAsPrintfWritesThem) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.1,
                                  1.0 / 3.0,
                                  100.0,
                                  -2.5831853071795994,
                                  1e21,
                                  1e-7,
                                  123456789012345678.0,
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    // Arbitrary bit patterns reach every exponent and digit pattern.
    Random rng;
    rng.srand(99);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = (std::uint64_t{static_cast<std::uint32_t>(rng.rand31())} << 33) ^
                                   (std::uint64_t{static_cast<std::uint32_t>(rng.rand31())} << 2) ^
                                   static_cast<std::uint32_t>(rng.rand());
        double v;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
    }
    for (double v : values) {
        std::string out;
        appendDouble(out, v);
        ASSERT_EQ(out, printed(v));
    }
}

TEST(StateDump, HeaderAndCreatureLines) {
    World world;
    world.population = 7;
    world.boostBudget = 321;
    Creature& a =
        testing::addCreature(world, Vec2(10.5, 20.25), testing::uniformGenome({2, 3}, 30, 1), 45.0);
    Creature& b = testing::addBodiless(world, Vec2(1, 2));
    Creature& c = testing::addCreature(world, Vec2(300, 400), testing::uniformGenome({1}, 0, 2));
    a.partner = &c;
    c.partner = &a;
    b.partner = nullptr;
    b.hasReproduced = true;
    c.doomed = true;
    world.rng.low = 4000000000u; // after the constructors' draws
    world.rng.high = 17u;
    // Distinct segment positions so that a wrong walk changes the sums.
    for (int i = 0; i < a.body.segmentCount(); ++i) {
        a.body.segments()[i].pos = Vec2(0.1 * (i + 1), 1000.0 / (i + 3));
    }

    StateDump dump;
    std::string out = "before\n";
    dump.append(out, world, 42);
    const std::vector<std::string> text = lines(out);
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[0], "before");
    EXPECT_EQ(text[1], "step 42 population 7 length 3 budget 321 rng 4000000000 17");

    const std::vector<std::string> la = words(text[2]);
    const std::vector<std::string> lb = words(text[3]);
    const std::vector<std::string> lc = words(text[4]);
    for (const auto& l : {la, lb, lc}) ASSERT_EQ(l.size(), 19u);
    EXPECT_EQ(la[0] + lb[0] + lc[0], "012");
    EXPECT_EQ(la[1] + " " + la[2] + " " + la[3], "10.5 20.25 45");
    EXPECT_EQ(la[12], printed(a.phase));
    // partner, hasReproduced, doomed
    EXPECT_EQ(la[13] + lb[13] + lc[13], "2-10");
    EXPECT_EQ(la[14] + lb[14] + lc[14], "010");
    EXPECT_EQ(la[15] + lb[15] + lc[15], "001");

    // Segments: two limbs of 1 + 2 and 1 + 3, summed in limb order.
    EXPECT_EQ(la[16], "7");
    double sx = 0.0;
    double sy = 0.0;
    for (const Segment* limb = a.body.firstLimb(); limb != nullptr; limb = limb->nextLimb()) {
        for (const Segment* s = limb; s != nullptr; s = s->next()) {
            sx += s->pos.x;
            sy += s->pos.y;
        }
    }
    EXPECT_EQ(la[17], printed(sx));
    EXPECT_EQ(la[18], printed(sy));
    EXPECT_EQ(lb[16] + lb[17] + lb[18], "000");
    EXPECT_EQ(lc[16], "2");

    // A second use of the same dump rebuilds the partner indices.
    removeCreature(world, &b);
    out.clear();
    dump.append(out, world, 43);
    const std::vector<std::string> after = lines(out);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(words(after[1])[13], "1");
    EXPECT_EQ(words(after[2])[13], "0");
}

} // namespace
} // namespace kanimo
