#include "resume.h"

#include <vector>

#include "printable.h"
#include "save/byte_io.h"

namespace kanimo {

SaveSection lastStepSection(const StepReport& report) {
    ByteWriter out;
    out.i32(report.births);
    out.i32(report.deaths);
    return SaveSection{lastStepSectionName, out.bytes()};
}

std::string loadRun(const std::string& path, World& world, StepReport& lastStep) {
    std::vector<SaveSection> extra;
    std::string reason;
    if (loadWorldFile(path, world, extra, reason)) {
        lastStep = StepReport{};
        for (const SaveSection& section : extra) {
            if (section.name != lastStepSectionName) continue;
            ByteReader in(section.bytes);
            const int births = in.i32();
            const int deaths = in.i32();
            if (!in.ranOut() && in.left() == 0 && births >= 0 && deaths >= 0) {
                lastStep.births = births;
                lastStep.deaths = deaths;
                return {};
            }
            reason = "the report of the last step is damaged";
        }
        if (reason.empty()) return {};
    }
    return "cannot load '" + printable(path) + "': " + reason;
}

} // namespace kanimo
