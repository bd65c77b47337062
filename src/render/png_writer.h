#pragma once

#include <string>

namespace kanimo {

class Picture;

// Writes the picture as an 8-bit RGB PNG. On failure returns false and sets `error` to a
// one-line reason (e.g. "cannot open out/x.png for writing: No such file or directory").
bool writePng(const Picture& picture, const std::string& path, std::string& error);

} // namespace kanimo
