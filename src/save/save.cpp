#include "save/save.h"

#include <zlib.h>

#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "creature/creature.h"
#include "save/byte_io.h"
#include "save/world_checks.h"
#include "save/world_record.h"
#include "world/world.h"

namespace kanimo {

namespace {

constexpr std::string_view magic = "KANIMOSV";
constexpr std::size_t headerSize = 8 + 4 + 8; // magic, format, file length
constexpr std::size_t checksumSize = 4;
constexpr std::size_t maxSectionName = 64;

// A creature record without its segments: partner, 18 doubles, turnSign, three flags,
// the lineage, the genome and the segment count.
constexpr std::size_t creatureBytes =
    4 + 18 * 8 + 4 + 3 + (8 + 8 + 4 + 1 + 8 + 8 + 1) + (4 + 2 * genomeRows * genomeColumns * 4) + 4;
// A segment's record: six doubles.
constexpr std::size_t segmentBytes = 6 * 8;

std::uint32_t checksum(std::string_view bytes) {
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    return static_cast<std::uint32_t>(crc32_z(crc32_z(0L, Z_NULL, 0), data, bytes.size()));
}

std::string sectionNameProblem(std::string_view name) {
    if (name.empty() || name.size() > maxSectionName) {
        return "a section name must have 1 to 64 characters";
    }
    for (const char ch : name) {
        const bool allowed = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                             (ch >= '0' && ch <= '9') || ch == '.' || ch == '-' || ch == '_';
        if (!allowed) return "a section name may hold only letters, digits, '.', '-' and '_'";
    }
    return {};
}

void writeCreature(ByteWriter& out, const Creature& c,
                   const std::unordered_map<const Creature*, std::int32_t>& index) {
    RecordWriter record{out};
    // A partner is always in the list (removals clear every link to what they remove).
    const auto partner = c.partner == nullptr ? index.end() : index.find(c.partner);
    out.i32(partner == index.end() ? -1 : partner->second);
    creatureFields(record, c);
    out.u32(static_cast<std::uint32_t>(c.body.segmentCount()));
    for (int i = 0; i < c.body.segmentCount(); ++i) segmentFields(record, c.body.segments()[i]);
}

// Reads and checks the envelope; gives the bytes between the header and the checksum.
std::string openEnvelope(std::string_view bytes, std::string_view& body) {
    if (bytes.empty()) return "the file is empty";
    if (bytes.size() < magic.size() || bytes.substr(0, magic.size()) != magic) {
        if (bytes.size() < magic.size() && magic.substr(0, bytes.size()) == bytes) {
            return "truncated: " + std::to_string(bytes.size()) + " bytes";
        }
        return "not a Kanimo save file";
    }
    if (bytes.size() < headerSize + checksumSize) {
        return "truncated: " + std::to_string(bytes.size()) + " bytes";
    }
    ByteReader header(bytes.substr(magic.size()));
    const std::uint32_t version = header.u32();
    const std::uint64_t length = header.u64();
    if (version > saveFormatVersion) {
        return "written in save format " + std::to_string(version) +
               " by a later Kanimo; this one reads format " + std::to_string(saveFormatVersion);
    }
    if (version == 0) return "not a Kanimo save file (format 0)";
    if (length > bytes.size()) {
        return "truncated: " + std::to_string(bytes.size()) + " of " + std::to_string(length) +
               " bytes";
    }
    if (length < bytes.size()) {
        return std::to_string(bytes.size() - length) + " bytes follow the end of the save";
    }
    ByteReader trailer(bytes.substr(bytes.size() - checksumSize));
    if (trailer.u32() != checksum(bytes.substr(0, bytes.size() - checksumSize))) {
        return "damaged: the checksum does not match";
    }
    body = bytes.substr(headerSize, bytes.size() - headerSize - checksumSize);
    return {};
}

// A creature made only to be overwritten: the constructor's draws go to a scratch
// generator, never to the world's.
std::unique_ptr<Creature> blankCreature(const WorldSettings& settings) {
    Random scratch;
    return std::make_unique<Creature>(settings, scratch, Vec2(0.0, 0.0), 0.0, false);
}

std::string readCreature(ByteReader& in, World& staged, std::int32_t& partner) {
    // Owned by the staged world from here on.
    Creature* c = &staged.creatures.append(blankCreature(staged.settings));
    RecordReader record{in, {}};
    partner = in.i32();
    creatureFields(record, *c);
    if (in.ranOut()) return "the file ends inside the record";
    if (!record.problem.empty()) return record.problem;
    if (std::string p = checkGenome(c->genome); !p.empty()) return p;

    // The body is grown again from the genome, which gives its shape and what the limb
    // pass derives from it; then the state it carries from tick to tick is put back. A
    // creature in a list always has its body (growth follows its making at once).
    const std::uint32_t segments = in.u32();
    if (in.ranOut()) return "the file ends inside its body";
    const bool doomed = c->doomed;
    const Genome genome = c->genome;
    growBody(staged.settings, *c, genome);
    c->doomed = doomed;
    if (segments != static_cast<std::uint32_t>(c->body.segmentCount())) {
        return std::to_string(segments) + " segments saved where its genome grows " +
               std::to_string(c->body.segmentCount());
    }
    for (int i = 0; i < c->body.segmentCount(); ++i) segmentFields(record, c->body.segments()[i]);
    if (in.ranOut()) return "the file ends inside its body";
    return checkCreature(*c, staged);
}

// The world record into `staged`, whose settings it sets first.
std::string readWorld(ByteReader& in, World& staged) {
    RecordReader record{in, {}};
    settingsFields(record, staged.settings);
    counterFields(record, staged);
    if (in.ranOut()) return "the file ends inside the world's settings";
    if (std::string p = checkSettings(staged.settings); !p.empty()) return p;
    if (std::string p = checkCounters(staged); !p.empty()) return p;

    const std::uint32_t count = in.u32();
    if (count > maxCreatures || count > in.left() / creatureBytes) {
        return "a list of " + std::to_string(count) + " creatures cannot be right";
    }
    std::vector<std::int32_t> partners(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (std::string p = readCreature(in, staged, partners[i]); !p.empty()) {
            return "creature " + std::to_string(i) + ": " + p;
        }
    }
    const std::vector<Creature*>& list = staged.creatures.inOrder();
    if (std::string p = checkList({list.begin(), list.end()}, partners); !p.empty()) {
        return p;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        list[i]->partner = partners[i] < 0 ? nullptr : list[partners[i]];
    }
    return {};
}

std::string readSections(ByteReader& in, std::vector<SaveSection>& sections) {
    const std::uint32_t count = in.u32();
    if (in.ranOut() || count > in.left() / (1 + 8)) {
        return "the list of extra sections cannot be right";
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        SaveSection section;
        section.name = in.raw(in.u8());
        const std::uint64_t length = in.u64();
        if (in.ranOut() || length > in.left()) return "the file ends inside an extra section";
        section.bytes = in.raw(static_cast<std::size_t>(length));
        if (std::string p = sectionNameProblem(section.name); !p.empty()) return p;
        for (const SaveSection& earlier : sections) {
            if (earlier.name == section.name) return "two sections named " + section.name;
        }
        sections.push_back(std::move(section));
    }
    if (in.left() != 0) {
        return std::to_string(in.left()) + " bytes of unknown meaning before the checksum";
    }
    return {};
}

} // namespace

std::string encodeWorld(const World& world, const std::vector<SaveSection>& extra) {
    for (std::size_t i = 0; i < extra.size(); ++i) {
        if (std::string p = sectionNameProblem(extra[i].name); !p.empty()) {
            throw std::invalid_argument(p);
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (extra[j].name == extra[i].name) {
                throw std::invalid_argument("two sections named " + extra[i].name);
            }
        }
    }

    // The file's size, near enough, taken at once: a big world's save is tens of megabytes,
    // which growing by doubling would copy and fault in twice over.
    std::size_t expected = headerSize + 1024 + checksumSize;
    for (const Creature* c : world.creatures) {
        expected += creatureBytes + segmentBytes * static_cast<std::size_t>(c->body.segmentCount());
    }
    for (const SaveSection& section : extra)
        expected += 1 + section.name.size() + 8 + section.bytes.size();
    ByteWriter out;
    out.reserve(expected);
    out.raw(magic);
    out.u32(saveFormatVersion);
    out.u64(0); // the file's length, known at the end

    RecordWriter record{out};
    settingsFields(record, world.settings);
    counterFields(record, world);
    std::unordered_map<const Creature*, std::int32_t> index;
    index.reserve(static_cast<std::size_t>(world.creatures.size()));
    for (const Creature* c : world.creatures) {
        index.emplace(c, static_cast<std::int32_t>(index.size()));
    }
    out.u32(static_cast<std::uint32_t>(index.size()));
    for (const Creature* c : world.creatures) {
        writeCreature(out, *c, index);
    }

    out.u32(static_cast<std::uint32_t>(extra.size()));
    for (const SaveSection& section : extra) {
        out.u8(static_cast<std::uint8_t>(section.name.size()));
        out.raw(section.name);
        out.u64(section.bytes.size());
        out.raw(section.bytes);
    }

    std::string& bytes = out.bytes();
    const std::uint64_t length = bytes.size() + checksumSize;
    for (int i = 0; i < 8; ++i) {
        bytes[magic.size() + 4 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    }
    out.u32(checksum(bytes));
    return std::move(out.bytes());
}

bool saveWorld(std::FILE* file, const World& world, const std::vector<SaveSection>& extra) {
    const std::string bytes = encodeWorld(world, extra);
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool loadWorld(std::string_view bytes, World& world, std::vector<SaveSection>& extra,
               std::string& error) {
    std::string_view body;
    error = openEnvelope(bytes, body);
    if (!error.empty()) return false;

    ByteReader in(body);
    World staged;
    std::vector<SaveSection> sections;
    error = readWorld(in, staged);
    if (error.empty()) error = readSections(in, sections);
    if (!error.empty()) return false;

    world = std::move(staged);
    extra = std::move(sections);
    return true;
}

} // namespace kanimo
