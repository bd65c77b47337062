#pragma once

#include <string>

namespace kanimo {

// Checks made before a run starts, so that a long run does not end by failing to save
// its result. Each returns an empty string when the path is usable, otherwise a one-line
// reason naming the path.

// A file that will be created or replaced: its directory must exist and be writable, and
// the path must not name a directory or a file that cannot be written.
std::string checkWritableFile(const std::string& path);

// An existing directory that files can be created in.
std::string checkWritableDirectory(const std::string& path);

// DIR/frame-<step>.png, the step in at least six digits.
std::string framePath(const std::string& dir, long long step);

} // namespace kanimo
