#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>

#include "base/geometry.h"
#include "creature/segment.h"
#include "genetics/genome.h"

namespace kanimo {

// What the chain segments of a body do to their creature in every limb pass, worked out
// once at growth from their kinds and depths (f = 10 - depth), in limb and chain order.
// The effects on speed and turning are sums taken one term at a time, so each is kept as
// the list of its terms, subtractions as added negations: adding them in order gives the
// very same values as applying the segments' effects one after the other.
struct LimbEffects {
    // kind 3: f x 0.1, -(f x 0.5 x 0.1); kind 2: -(f x 0.5 x 0.1) twice;
    // any other kind: -(f x 0.5 x 0.1)
    const double* speedTerms = nullptr;
    // kind 3: f x 0.001 x 0.1, f x 0.0001 x 0.1; kind 2: -(f x 0.0001 x 0.1), f x 0.0001 x 0.1;
    // any other kind: f x 0.0001 x 0.1
    const double* driveTerms = nullptr;
    int terms = 0; // in each of the two lists above
    // One entry per kind-2 segment, granted while the world's boost budget lasts.
    const double* boostEnergy = nullptr; // f x 0.0001 x 0.1
    const double* boostGrowth = nullptr; // f x 0.002 x 0.1
    int boosts = 0;
};

// What the limb pass placed the segments from at its last run, and how many runs in a row
// had the same (see updateLimbs).
struct LimbRest {
    double x = std::numeric_limits<double>::quiet_NaN();
    double y = 0.0;
    double size = 0.0;
    double factor = 0.0;
    int runs = 0;
};

// A creature's body: its segments and the tables the limb pass works from, in one
// allocation of whole cache lines, so that a tick reads one run of memory and a big world
// can ask for all of it ahead of the tick:
//
//   line 0      the body's own line: its counts, the swing its trig table was taken for
//               and where the limb pass last placed it from
//   lines 1..n  the segments, one a line, in limb order: each limb head, then its chain
//   then        the distinct segment angles, their cosines, their sines (one sine and
//               cosine per distinct angle, not per segment), and the effect terms: speed
//               and drive (`terms` each), boost energy and growth (`boosts` each)
//
// A creature that has not grown its body (a seeded one, for a moment) holds an empty one.
class Body {
  public:
    Body() = default;
    // The body a genome describes, around `centre`, for a creature of size `bodySize`: the
    // root from cell [0][0], a limb head per further filled row, and from every head a
    // chain with one segment per filled cell of its row. Any table is accepted; growth
    // never reads outside it.
    Body(const Genome& genome, Vec2 centre, double bodySize, double limbSizeFactor);

    bool grown() const { return block_ != nullptr; }
    int segmentCount() const { return grown() ? header().segmentCount : 0; }
    std::span<Segment> segments() { return {segmentArray(), countOf()}; }
    std::span<const Segment> segments() const { return {segmentArray(), countOf()}; }
    // The root, which heads the first limb; null for a body not grown.
    Segment* firstLimb() { return grown() ? segmentArray() : nullptr; }
    const Segment* firstLimb() const { return grown() ? segmentArray() : nullptr; }
    // A chain segment of a negative kind dooms the creature that grows it.
    bool dooms() const { return grown() && header().dooms; }

    // The table of distinct angles, and their cosines and sines for the swing trigSwing().
    int angleCount() const { return header().angleCount; }
    const double* angles() const { return tables(); }
    double* cosines() { return tables() + angleCount(); }
    double* sines() { return tables() + 2 * angleCount(); }
    // The swing the cosines and sines were taken for; NaN when none was yet.
    double& trigSwing() { return header().trigSwing; }
    LimbRest& rest() { return header().rest; }
    LimbEffects effects() const {
        const Header& h = header();
        const double* speed = tables() + 3 * h.angleCount;
        const double* drive = speed + h.terms;
        const double* energy = drive + h.terms;
        const double* growth = energy + h.boosts;
        return LimbEffects{speed, drive, h.terms, energy, growth, h.boosts};
    }

    // Works out the angle table and the effect terms anew, as growth does; code that
    // changes the angles, kinds or depths of a grown body calls it afterwards.
    void prepare();

    // The memory the limb pass reads, from the body's line to the end of its tables; and
    // where it starts, which can be had without reading the body.
    std::span<const std::byte> bytes() const;
    const std::byte* storage() const { return block_.get(); }

  private:
    // The body's line: what the limb pass keeps of the body besides segments and tables.
    struct alignas(64) Header {
        double trigSwing = std::numeric_limits<double>::quiet_NaN();
        LimbRest rest;
        std::int32_t segmentCount = 0;
        std::int16_t angleCount = 0;
        std::int16_t terms = 0;
        std::int16_t boosts = 0;
        bool dooms = false;
    };
    static_assert(sizeof(Header) == 64, "the body's own line is one cache line");
    static constexpr std::size_t lineSize = 64;

    struct Free {
        void operator()(std::byte* block) const;
    };

    Header& header() { return *reinterpret_cast<Header*>(block_.get()); }
    const Header& header() const { return *reinterpret_cast<const Header*>(block_.get()); }
    std::size_t countOf() const { return static_cast<std::size_t>(segmentCount()); }
    Segment* segmentArray() { return reinterpret_cast<Segment*>(block_.get() + lineSize); }
    const Segment* segmentArray() const {
        return reinterpret_cast<const Segment*>(block_.get() + lineSize);
    }
    double* tables() { return reinterpret_cast<double*>(segmentArray() + segmentCount()); }
    const double* tables() const {
        return reinterpret_cast<const double*>(segmentArray() + segmentCount());
    }

    std::unique_ptr<std::byte[], Free> block_;
};
static_assert(sizeof(Body) == sizeof(void*), "a creature's record holds its body as one pointer");

} // namespace kanimo
