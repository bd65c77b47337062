#pragma once

#include <cstdio>
#include <string>

namespace kanimo {

class Picture;

// Writes the picture as an 8-bit RGB PNG into `file` and flushes it; opening, closing and
// naming the file are the caller's. On failure returns false and sets `reason` to the
// reason the system gave for the failing write (e.g. "No space left on device").
bool writePng(const Picture& picture, std::FILE* file, std::string& reason);

} // namespace kanimo
