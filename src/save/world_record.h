#pragma once

#include <cstdint>
#include <string>

#include "creature/creature.h"
#include "creature/lineage.h"
#include "genetics/genome.h"
#include "save/byte_io.h"
#include "world/settings.h"
#include "world/settings_limits.h"

// The records of a save file, field by field in file order (docs/save-format.md). Each
// list is written once, as a template over what is done with a field, so that writing,
// reading and checking can never disagree on the order. `io` is a RecordWriter, a
// RecordReader or a checker with the same members; the name is for messages.
namespace kanimo {

// The settings in the table's order, which is the file's.
template <typename Io, typename S> void settingsFields(Io& io, S& s) {
    for (const SettingField& f : settingFields()) {
        if (f.whole != nullptr) {
            io.i32(f.name.data(), s.*f.whole);
        } else {
            io.f64(f.name.data(), s.*f.real);
        }
    }
}

// The world's counters and its generator; the settings come before them, the creatures
// after.
template <typename Io, typename W> void counterFields(Io& io, W& w) {
    io.i32("boostBudget", w.boostBudget);
    io.i32("population", w.population);
    io.i64("stepCount", w.stepCount);
    io.u64("nextCreatureId", w.nextCreatureId);
    io.u32("rng low", w.rng.low);
    io.u32("rng high", w.rng.high);
}

// A creature's own fields; its partner and its body follow it in the file.
template <typename Io, typename C> void creatureFields(Io& io, C& c) {
    io.f64("x", c.pos.x);
    io.f64("y", c.pos.y);
    io.f64("heading", c.heading);
    io.f64("swing", c.swing);
    io.f64("turnRate", c.turnRate);
    io.f64("turnDrive", c.turnDrive);
    io.f64("size", c.size);
    io.f64("maxSize", c.maxSize);
    io.f64("energy", c.energy);
    io.f64("maxEnergy", c.maxEnergy);
    io.f64("growth", c.growth);
    io.f64("maxGrowth", c.maxGrowth);
    io.f64("growthRatio", c.growthRatio);
    io.f64("phaseSeed", c.phaseSeed);
    io.f64("phase", c.phase);
    io.f64("speed", c.speed);
    io.f64("baseSpeed", c.baseSpeed);
    io.i32("turnSign", c.turnSign);
    io.f64("lifeLeft", c.lifeLeft);
    io.flag("marked", c.marked);
    io.flag("hasReproduced", c.hasReproduced);
    io.flag("doomed", c.doomed);

    io.u64("id", c.lineage.id);
    io.u64("parentId", c.lineage.parentId);
    io.i32("generation", c.lineage.generation);
    io.flag("mutated", c.lineage.mutated);
    io.i64("birthStep", c.lineage.birthStep);
    io.i64("deathStep", c.lineage.deathStep);
    io.cause("deathCause", c.lineage.deathCause);

    io.i32("limbCount", c.genome.limbCount);
    for (auto& row : c.genome.angles) {
        for (auto& cell : row) io.i32("genome angle", cell);
    }
    for (auto& row : c.genome.kinds) {
        for (auto& cell : row) io.i32("genome kind", cell);
    }
}

// What a segment carries from tick to tick; its links, angle, kind and depth come from
// the genome when the body is grown again.
template <typename Io, typename S> void segmentFields(Io& io, S& s) {
    io.f64("segment x", s.pos.x);
    io.f64("segment y", s.pos.y);
    io.f64("segment previous x", s.prevPos.x);
    io.f64("segment previous y", s.prevPos.y);
    io.f64("segment size", s.size);
    io.f64("segment reach", s.reach);
}

struct RecordWriter {
    ByteWriter& out;

    void i32(const char*, std::int32_t v) { out.i32(v); }
    void u32(const char*, std::uint32_t v) { out.u32(v); }
    void i64(const char*, std::int64_t v) { out.i64(v); }
    void u64(const char*, std::uint64_t v) { out.u64(v); }
    void f64(const char*, double v) { out.f64(v); }
    void flag(const char*, bool v) { out.u8(v ? 1 : 0); }
    void cause(const char*, DeathCause v) { out.u8(static_cast<std::uint8_t>(v)); }
};

// Reads into the fields; a flag or a cause of death with a value that has no meaning is
// a problem, kept (the first one only) for the caller to report.
struct RecordReader {
    ByteReader& in;
    std::string problem;

    void i32(const char*, std::int32_t& v) { v = in.i32(); }
    void u32(const char*, std::uint32_t& v) { v = in.u32(); }
    void i64(const char*, std::int64_t& v) { v = in.i64(); }
    void u64(const char*, std::uint64_t& v) { v = in.u64(); }
    void f64(const char*, double& v) { v = in.f64(); }
    void flag(const char* name, bool& v) {
        const std::uint8_t b = in.u8();
        if (b > 1) note(name, "a flag holds " + std::to_string(b));
        v = b == 1;
    }
    void cause(const char* name, DeathCause& v) {
        const std::uint8_t b = in.u8();
        if (b > static_cast<std::uint8_t>(DeathCause::deleted)) {
            note(name, "no cause of death is numbered " + std::to_string(b));
        } else {
            v = static_cast<DeathCause>(b);
        }
    }

  private:
    void note(const char* name, const std::string& what) {
        if (problem.empty()) problem = std::string(name) + ": " + what;
    }
};

} // namespace kanimo
