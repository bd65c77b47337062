#include "creature/body.h"

#include <memory>
#include <new>
#include <type_traits>

namespace kanimo {

namespace {

int chainLength(const Genome& genome, int row) {
    int n = 0;
    while (n < genomeColumns && genome.angles[row][n] != emptyCell) ++n;
    return n;
}

int bodySegmentCount(const Genome& genome) {
    int count = 1 + chainLength(genome, 0);
    if (genome.angles[0][0] == emptyCell) return count;
    for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
        count += 1 + chainLength(genome, r);
    }
    return count;
}

// The tables of a body of n segments never need more than 9 n doubles: 3 per distinct
// angle, at most 2 speed and 2 drive terms per chain segment, and at most 1 boost of each
// kind.
constexpr std::size_t tableDoublesPerSegment = 9;
static_assert(std::is_trivially_destructible_v<Segment>, "segments are never destroyed");
constexpr std::align_val_t lineAlignment{64};

// A segment's strength f = 10 - depth, times a rate, times effectScale. Each product is
// taken left to right as written, never folded into one constant: f * 0.0001 * 0.1 and
// f * 0.00001 differ in the last bit for some f, and the recorded runs depend on that bit.
constexpr int strengthDepth = 10;
constexpr double effectScale = 0.1;
constexpr double dragRate = 0.5;          // speed every chain segment costs
constexpr double wiggleRate = 0.0001;     // turn drive every chain segment adds
constexpr double propelRate = 0.001;      // turn drive a propelling segment adds
constexpr double feedEnergyRate = 0.0001; // energy of a feeding boost
constexpr double feedGrowthRate = 0.002;  // growth of a feeding boost

template <class Visit> void forEachChainSegment(std::span<Segment> segments, Visit&& visit) {
    if (segments.empty()) return;
    for (Segment* head = &segments[0]; head != nullptr; head = head->nextLimb()) {
        for (Segment* s = head->next(); s != nullptr; s = s->next()) visit(*s);
    }
}

// The chain of one row, hanging from `from` (the row's head), laid out from `at` on.
// Returns the next free place; sets `dooms` for a chain segment of a negative kind.
Segment* growChain(Segment* at, Segment* from, const Genome& genome, int row, bool& dooms) {
    Segment* tail = from;
    for (int k = 0; k < genomeColumns && genome.angles[row][k] != emptyCell; ++k) {
        Segment* segment = new (at++) Segment(*tail, genome.angles[row][k], genome.kinds[row][k]);
        segment->linkParent(tail);
        tail->linkNext(segment);
        segment->depth = static_cast<std::int8_t>(k);
        tail = segment;
        if (static_cast<int>(segment->kind) < 0) dooms = true;
    }
    return at;
}

} // namespace

void Body::Free::operator()(std::byte* block) const {
    ::operator delete[](block, lineAlignment);
}

Body::Body(const Genome& genome, Vec2 centre, double bodySize, double limbSizeFactor) {
    // Sized up front so that the links between segments stay valid.
    const std::size_t count = bodySegmentCount(genome);
    const std::size_t tableBytes = count * tableDoublesPerSegment * sizeof(double);
    const std::size_t bytes = lineSize + count * sizeof(Segment) + tableBytes;
    block_.reset(static_cast<std::byte*>(::operator new[](bytes, lineAlignment)));
    Header& h = *new (block_.get()) Header;
    h.segmentCount = static_cast<std::int32_t>(count);

    Segment* at = segmentArray();
    Segment* root = new (at++)
        Segment(centre, bodySize, limbSizeFactor, genome.angles[0][0], genome.kinds[0][0]);
    at = growChain(at, root, genome, 0, h.dooms);
    if (genome.angles[0][0] != emptyCell) {
        Segment* head = root;
        for (int r = 1; r < genomeRows && genome.angles[r][0] != emptyCell; ++r) {
            Segment* limb = new (at++) Segment(*head, genome.angles[r][0], genome.kinds[r][0]);
            limb->linkParent(head);
            head->linkNextLimb(limb);
            at = growChain(at, limb, genome, r, h.dooms);
            head = limb;
        }
    }
    prepare();
}

void Body::prepare() {
    Header& h = header();
    std::span<Segment> body = segments();

    // Every segment gets its slot in the table of distinct angles.
    double* angleTable = tables();
    int count = 0;
    for (Segment& s : body) {
        int slot = 0;
        while (slot < count && angleTable[slot] != s.angle) ++slot;
        if (slot == count) angleTable[count++] = s.angle;
        s.angleSlot = static_cast<std::uint8_t>(slot);
    }
    h.angleCount = static_cast<std::int16_t>(count);
    h.trigSwing = std::numeric_limits<double>::quiet_NaN();
    h.rest = LimbRest{};

    // Then the effect lists: speed terms, drive terms, boost energy, boost growth.
    int terms = 0;
    int boosts = 0;
    forEachChainSegment(body, [&](const Segment& s) {
        terms += (s.kind == SegmentKind::feed || s.kind == SegmentKind::propel) ? 2 : 1;
        if (s.kind == SegmentKind::feed) ++boosts;
    });
    h.terms = static_cast<std::int16_t>(terms);
    h.boosts = static_cast<std::int16_t>(boosts);
    double* speed = tables() + 3 * count; // as effects() hands them out
    double* drive = speed + terms;
    double* energy = drive + terms;
    double* growth = energy + boosts;
    forEachChainSegment(body, [&](const Segment& s) {
        const int f = strengthDepth - s.depth;
        if (s.kind == SegmentKind::feed) {
            *energy++ = f * feedEnergyRate * effectScale;
            *growth++ = f * feedGrowthRate * effectScale;
            *speed++ = -(f * dragRate * effectScale);
            *drive++ = -(f * wiggleRate * effectScale);
        } else if (s.kind == SegmentKind::propel) {
            *speed++ = f * effectScale;
            *drive++ = f * propelRate * effectScale;
        }
        *speed++ = -(f * dragRate * effectScale);
        *drive++ = f * wiggleRate * effectScale;
    });
}

std::span<const std::byte> Body::bytes() const {
    if (!grown()) return {};
    const LimbEffects e = effects();
    const auto* end = reinterpret_cast<const std::byte*>(e.boostGrowth + e.boosts);
    return {block_.get(), static_cast<std::size_t>(end - block_.get())};
}

} // namespace kanimo
