#pragma once

#include <string>

namespace kanimo {

struct SimOptions;

// DIR/frame-<step>.png, the step in at least six digits.
std::string framePath(const std::string& dir, long long step);

// Outputs that would land on one file overwrite each other, whatever the spelling of
// their paths, and an output on the --load file would replace it (--save alone may name
// it). Returns a one-line reason naming the two options, or an empty string when every
// output has a file of its own. Creates nothing.
std::string sharedOutputPath(const SimOptions& options);

} // namespace kanimo
