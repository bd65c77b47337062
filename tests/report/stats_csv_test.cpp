#include "report/stats_csv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "support/world_builder.h"

namespace kanimo {
namespace {

std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out;
    std::istringstream in(row);
    for (std::string cell; std::getline(in, cell, ',');) out.push_back(cell);
    if (!row.empty() && row.back() == ',') out.push_back("");
    return out;
}

TEST(StatsCsv, CensusCoversTheLivingOnly) {
    World world;
    Genome g = testing::uniformGenome({3}, 10, 1); // root + 3 chain segments of kind 1
    g.kinds[0][2] = 3;
    Creature& a = testing::addCreature(world, Vec2(50, 50), g);
    Creature& b = testing::addCreature(world, Vec2(150, 50), testing::uniformGenome({1}, 10, 2));
    Creature& dead = testing::addCreature(world, Vec2(250, 50), testing::uniformGenome({5}, 0, 0));
    a.size = 10;
    a.energy = 80;
    b.size = 20;
    b.energy = 40;
    dead.energy = 0;
    dead.size = 99;

    const Census census = takeCensus(world);
    EXPECT_EQ(census.length, 3);
    EXPECT_EQ(census.living, 2);
    EXPECT_DOUBLE_EQ(census.meanSize, 15.0);
    EXPECT_DOUBLE_EQ(census.meanEnergy, 60.0);
    // a: root (kind 1) + kinds 1, 3, 1; b: root (kind 2) + kind 2.
    ASSERT_EQ(census.livingSegments, 6);
    EXPECT_DOUBLE_EQ(census.kindShare[0], 0.0);
    EXPECT_DOUBLE_EQ(census.kindShare[1], 3.0 / 6.0);
    EXPECT_DOUBLE_EQ(census.kindShare[2], 2.0 / 6.0);
    EXPECT_DOUBLE_EQ(census.kindShare[3], 1.0 / 6.0);
}

TEST(StatsCsv, RowsMatchTheHeader) {
    const std::vector<std::string> header =
        cells(statsHeader().substr(0, statsHeader().size() - 1));
    ASSERT_EQ(header.size(), 12u);
    EXPECT_EQ(header[0], "step");

    Census census;
    census.length = 5;
    census.living = 3;
    census.meanSize = 12.5;
    census.meanEnergy = 1.0 / 3.0;
    census.livingSegments = 4;
    census.kindShare[1] = 0.75;
    census.kindShare[3] = 0.25;
    std::string out;
    appendStatsRow(out, 17, StepReport{0, 4, 2}, census);
    ASSERT_EQ(out.back(), '\n');
    EXPECT_EQ(out, "17,5,3,2,4,2,12.5,0.3333333333,0,0.75,0,0.25\n");

    // Nothing alive: the averages have no value and are left empty.
    out.clear();
    Census empty;
    empty.length = 2;
    appendStatsRow(out, 3, StepReport{}, empty);
    EXPECT_EQ(out, "3,2,0,2,0,0,,,,,,\n");
    EXPECT_EQ(cells(out.substr(0, out.size() - 1)).size(), header.size());
}

} // namespace
} // namespace kanimo
