// Save files from anyone: the loader takes a file or refuses it in one line, and whatever
// it takes must be a world that runs. Each input gets a right length and checksum first,
// so that the fuzzer reaches the checks of the content instead of stopping at the
// checksum; an accepted world is then saved again (the same bytes), stepped, drawn, saved
// and loaded again, and its family tree written, as kanimo-sim would.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

#include "creature/creature.h"
#include "fuzz_check.h"
#include "render/frame.h"
#include "render/picture.h"
#include "report/ancestry.h"
#include "report/newick_tree.h"
#include "report/resume.h"
#include "save/save.h"
#include "world/step.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {
namespace {

using fuzz::require;

void put(std::string& bytes, std::size_t at, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The length after the magic and the format number; the checksum of all before it last.
void reseal(std::string& bytes) {
    constexpr std::size_t lengthAt = 12;
    if (bytes.size() < lengthAt + 8 + 4) return;
    put(bytes, lengthAt, bytes.size(), 8);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    put(bytes, bytes.size() - 4, crc32_z(crc32_z(0L, Z_NULL, 0), data, bytes.size() - 4), 4);
}

// The family of the living, kept through the steps as kanimo-sim keeps it for --tree.
struct FamilyKeeper : StepObserver {
    Ancestry ancestry;
    void born(const Creature& creature, const Creature*) override { ancestry.born(creature); }
    void died(const Creature& creature, DeathCause) override { ancestry.died(creature); }
};

// A world whose settings ask for a seeding or a refill of more creatures than this, or
// for a picture wider than this, is legal (the options allow up to a million creatures
// and a world a million wide) but takes seconds and gigabytes to step or draw: such a
// world is only loaded and saved again here.
constexpr int mostMade = 2000;
constexpr int widestDrawn = 2400;

void loadAndRun(const std::string& bytes) {
    World world;
    std::vector<SaveSection> extra;
    std::string error;
    if (!loadWorld(bytes, world, extra, error)) {
        require(!error.empty() && error.find('\n') == std::string::npos, "one-line refusal", error);
        require(world.creatures.head() == nullptr, "a refused file leaves the world as it was");
        return;
    }
    // Every field is kept to the bit and nothing else is taken: the file is the one the
    // world saves.
    require(encodeWorld(world, extra) == bytes, "a loaded world saves to the same bytes");

    const WorldSettings& s = world.settings;
    if (s.initialPopulation > mostMade || s.refillCount > mostMade) return;

    FamilyKeeper family;
    std::string text;
    for (const SaveSection& section : extra) {
        if (section.name == ancestrySectionName) text = section.bytes;
    }
    if (text.empty() || !family.ancestry.deserialize(text).empty()) {
        family.ancestry = Ancestry{};
        family.ancestry.adoptLiving(world);
    }
    const StepKind kinds[] = {StepKind::world, StepKind::fast, StepKind::world};
    for (const StepKind kind : kinds) {
        takeStep(world, kind, &family);
        family.ancestry.endStep();
    }
    if (s.worldSize <= widestDrawn) {
        static Picture picture;
        picture.setSize(s.worldSize + 1, s.worldSize + 1);
        composeFrame(picture, world, world.stepCount % 2 == 0);
    }

    // The steps keep the world one the loader takes: every double finite, every field
    // within what the rules reach.
    const std::string saved = encodeWorld(world, extra);
    World reloaded;
    require(loadWorld(saved, reloaded, extra, error), "a stepped world loads again", error);
    require(encodeWorld(reloaded, extra) == saved, "the reloaded world is the world");

    const std::string tree = newickTree(family.ancestry, world.stepCount);
    require(tree.size() >= 3 && tree.compare(tree.size() - 2, 2, ";\n") == 0, "a whole tree");
}

} // namespace
} // namespace kanimo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    kanimo::reseal(bytes);
    kanimo::loadAndRun(bytes);
    return 0;
}
