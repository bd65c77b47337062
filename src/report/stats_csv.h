#pragma once

#include <string>

#include "world/step.h"

namespace kanimo {

struct World;

// The segment kinds by their number, as the columns of the stats and the record name them.
inline constexpr const char* segmentKindNames[4] = {"drag", "bite", "feed", "propel"};

// What the --stats rows report about the world after a step. Means and shares cover the
// living only; they are meaningless, and left empty in the file, when nothing lives.
struct Census {
    int length = 0;
    int living = 0;
    double meanSize = 0.0;
    double meanEnergy = 0.0;
    long long livingSegments = 0;
    double kindShare[4] = {0.0, 0.0, 0.0, 0.0}; // segments of kind 0 .. 3 / livingSegments
};

Census takeCensus(const World& world);

// The means and shares of a census from the sums over its living, taken in list order
// (so that every census of a world gives the same doubles): for a program that walks the
// list its own way.
void finishCensus(Census& census, double sizeSum, double energySum,
                  const long long (&kindCount)[4]);

// The header line of the CSV file, with its newline.
std::string statsHeader();

// One row: step, length, living, dead, births, deaths, mean size, mean energy, then the
// shares of the four kinds (drag_share, bite_share, feed_share, propel_share).
void appendStatsRow(std::string& out, long long step, const StepReport& report,
                    const Census& census);

} // namespace kanimo
