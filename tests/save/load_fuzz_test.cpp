// Thousands of damaged copies of real save files: each one either loads into a world that
// then steps and draws like any other, or is refused with one line. Run under the
// sanitizers, where any bad read, overflow or leak fails it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "render/frame.h"
#include "render/picture.h"
#include "save/save.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

constexpr std::size_t lengthAt = 12; // after the magic and the format number

std::string savedRun(std::uint32_t seed, StepKind kind, int steps) {
    World world;
    world.rng.srand(seed);
    seedWorld(world);
    for (int k = 0; k < steps; ++k) takeStep(world, kind);
    return encodeWorld(world, {{"ancestry", std::string(40, 'a')}, {"b", "bytes"}});
}

void put(std::string& bytes, std::size_t at, std::uint64_t v, int width) {
    for (int i = 0; i < width && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// Gives a changed file a right length and checksum again, so that the checks behind them
// are reached.
void reseal(std::string& bytes) {
    if (bytes.size() < 24) return;
    put(bytes, lengthAt, bytes.size(), 8);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    put(bytes, bytes.size() - 4, crc32_z(crc32_z(0L, Z_NULL, 0), data, bytes.size() - 4), 4);
}

std::uint64_t interestingDouble(std::mt19937_64& gen) {
    constexpr double lim = std::numeric_limits<double>::max();
    const double values[] = {std::nan(""), INFINITY, -INFINITY, lim, -lim, 1e300, -1e12, 1e9,
                             0.0,          -0.0,     4.9e-324,  1.0, -1.0, 75.0,  600.0, 3000.5};
    return std::bit_cast<std::uint64_t>(values[gen() % std::size(values)]);
}

std::uint32_t interestingInt(std::mt19937_64& gen) {
    const std::int64_t values[] = {-1,        0,         1,          2,       3,      4,   7,
                                   13,        75,        76,         200,     360,    361, 10000,
                                   INT32_MAX, INT32_MIN, UINT32_MAX, 1000000, 1000001};
    return static_cast<std::uint32_t>(values[gen() % std::size(values)]);
}

// One random change: flipped bits, a field overwritten with a value that tends to break
// things, a truncation, inserted, removed or repeated bytes.
void mutate(std::string& bytes, std::mt19937_64& gen) {
    const auto at = [&](std::size_t room) {
        return bytes.size() > room ? gen() % (bytes.size() - room) : 0;
    };
    switch (gen() % 7) {
    case 0:
        for (int n = 1 + gen() % 4; n > 0; --n) bytes[at(0)] ^= static_cast<char>(1 << (gen() % 8));
        break;
    case 1:
        put(bytes, at(8), interestingDouble(gen), 8);
        break;
    case 2:
    case 3:
        put(bytes, at(4), interestingInt(gen), 4);
        break;
    case 4:
        bytes.resize(at(0));
        break;
    case 5:
        bytes.insert(at(0), std::string(1 + gen() % 60, static_cast<char>(gen())));
        break;
    case 6: {
        const std::size_t from = at(0);
        const std::size_t n = std::min<std::size_t>(1 + gen() % 200, bytes.size() - from);
        if (gen() % 2 == 0) {
            bytes.erase(from, n);
        } else {
            bytes.insert(from, bytes.substr(from, n));
        }
        break;
    }
    }
}

TEST(LoadFuzz, EveryDamagedFileLoadsWholeOrIsRefusedInOneLine) {
    const std::string bases[] = {savedRun(2, StepKind::world, 400),
                                 savedRun(9, StepKind::fast, 160), savedRun(5, StepKind::world, 1)};
    std::mt19937_64 gen(20261208);
    Picture picture;
    picture.setSize(601, 601);
    int loaded = 0;
    int refused = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string bytes = bases[i % std::size(bases)];
        for (int n = 1 + gen() % 3; n > 0; --n) mutate(bytes, gen);
        const bool resealed = gen() % 8 != 0;
        if (resealed) reseal(bytes);

        World world;
        std::vector<SaveSection> extra;
        std::string error;
        if (!loadWorld(bytes, world, extra, error)) {
            ++refused;
            ASSERT_FALSE(error.empty()) << i;
            ASSERT_EQ(error.find('\n'), std::string::npos) << i << ": " << error;
            ASSERT_EQ(world.creatures.head(), nullptr) << i;
            continue;
        }
        ++loaded;
        for (int k = 0; k < 3; ++k) takeStep(world, k == 1 ? StepKind::fast : StepKind::world);
        composeFrame(picture, world, i % 2 == 0);
        // The loader takes only worlds the rules can reach, and steps keep a world so:
        // what the steps made saves and loads again like any world.
        World reloaded;
        ASSERT_TRUE(loadWorld(encodeWorld(world, extra), reloaded, extra, error))
            << i << ": " << error;
    }
    // Both ways out are taken often, or the mutations test nothing.
    EXPECT_GT(loaded, 150);
    EXPECT_GT(refused, 300);
}

} // namespace
} // namespace kanimo
