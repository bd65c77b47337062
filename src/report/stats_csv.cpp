#include "report/stats_csv.h"

#include <charconv>

#include "creature/creature.h"
#include "report/state_dump.h"
#include "world/world.h"

namespace kanimo {

namespace {

// Ten significant digits are plenty for plotting and keep the file small.
void appendMeasure(std::string& out, double value) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    out.append(buffer, result.ptr);
}

} // namespace

void finishCensus(Census& census, double sizeSum, double energySum,
                  const long long (&kindCount)[4]) {
    if (census.living > 0) {
        census.meanSize = sizeSum / census.living;
        census.meanEnergy = energySum / census.living;
    }
    if (census.livingSegments > 0) {
        for (int k = 0; k < 4; ++k) {
            census.kindShare[k] =
                static_cast<double>(kindCount[k]) / static_cast<double>(census.livingSegments);
        }
    }
}

Census takeCensus(const World& world) {
    Census census;
    double sizeSum = 0.0;
    double energySum = 0.0;
    long long kindCount[4] = {0, 0, 0, 0};
    for (const Creature* c : world.creatures) {
        ++census.length;
        if (!(c->energy > 0)) continue;
        ++census.living;
        sizeSum += c->size;
        energySum += c->energy;
        for (int i = 0; i < c->body.segmentCount(); ++i) {
            const int kind = static_cast<int>(c->body.segments()[i].kind);
            if (kind >= 0 && kind < 4) ++kindCount[kind];
            ++census.livingSegments;
        }
    }
    finishCensus(census, sizeSum, energySum, kindCount);
    return census;
}

std::string statsHeader() {
    std::string header = "step,length,living,dead,births,deaths,mean_size,mean_energy";
    for (const char* kind : segmentKindNames) header += std::string(",") + kind + "_share";
    return header + "\n";
}

void appendStatsRow(std::string& out, long long step, const StepReport& report,
                    const Census& census) {
    for (long long v :
         {step, static_cast<long long>(census.length), static_cast<long long>(census.living),
          static_cast<long long>(census.length - census.living),
          static_cast<long long>(report.births), static_cast<long long>(report.deaths)}) {
        appendInteger(out, v);
        out.push_back(',');
    }
    if (census.living > 0) {
        appendMeasure(out, census.meanSize);
        out.push_back(',');
        appendMeasure(out, census.meanEnergy);
    } else {
        out.push_back(',');
    }
    for (int k = 0; k < 4; ++k) {
        out.push_back(',');
        if (census.livingSegments > 0) appendMeasure(out, census.kindShare[k]);
    }
    out.push_back('\n');
}

} // namespace kanimo
