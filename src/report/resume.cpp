#include "report/resume.h"

#include "files/printable.h"
#include "save/byte_io.h"

namespace kanimo {

namespace {

// Reads one of the sections; false when it is damaged.
bool readSection(const SaveSection& section, RunContinuation& run,
                 std::optional<std::string>& ancestry) {
    ByteReader in(section.bytes);
    if (section.name == lastStepSectionName) {
        const int births = in.i32();
        const int deaths = in.i32();
        if (in.ranOut() || in.left() != 0 || births < 0 || deaths < 0) return false;
        run.lastStep.births = births;
        run.lastStep.deaths = deaths;
    } else if (section.name == seedSectionName) {
        const std::uint32_t seed = in.u32();
        if (in.ranOut() || in.left() != 0) return false;
        run.seed = seed;
    } else if (section.name == ancestrySectionName) {
        ancestry = section.bytes;
    }
    return true;
}

} // namespace

std::vector<SaveSection> runSections(const RunContinuation& run, const std::string& ancestry) {
    std::vector<SaveSection> sections;
    ByteWriter lastStep;
    lastStep.i32(run.lastStep.births);
    lastStep.i32(run.lastStep.deaths);
    sections.push_back(SaveSection{lastStepSectionName, lastStep.bytes()});
    if (run.seed) {
        ByteWriter seed;
        seed.u32(*run.seed);
        sections.push_back(SaveSection{seedSectionName, seed.bytes()});
    }
    sections.push_back(SaveSection{ancestrySectionName, ancestry});
    return sections;
}

namespace {

// The run's own sections of a loaded save: an empty string, or which one is damaged.
std::string readSections(const std::vector<SaveSection>& extra, RunContinuation& run,
                         std::optional<std::string>& ancestry) {
    run = RunContinuation{};
    ancestry.reset();
    for (const SaveSection& section : extra) {
        if (!readSection(section, run, ancestry)) {
            return "its section " + section.name + " is damaged";
        }
    }
    return {};
}

} // namespace

std::string readRun(std::string_view bytes, World& world, RunContinuation& run,
                    std::optional<std::string>& ancestry) {
    std::vector<SaveSection> extra;
    std::string reason;
    if (!loadWorld(bytes, world, extra, reason)) return reason;
    return readSections(extra, run, ancestry);
}

std::string loadRun(const std::string& path, World& world, RunContinuation& run,
                    std::optional<std::string>& ancestry) {
    std::vector<SaveSection> extra;
    std::string reason;
    if (loadWorldFile(path, world, extra, reason)) reason = readSections(extra, run, ancestry);
    if (reason.empty()) return {};
    return "cannot load '" + printable(path) + "': " + reason;
}

} // namespace kanimo
