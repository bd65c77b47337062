#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kanimo {

struct World;

// The format written by this build; files of a later format are refused, not guessed at.
inline constexpr std::uint32_t saveFormatVersion = 1;

// A named block of bytes kept in a save file beside the world, for whatever else a
// program wants to carry over to a resumed run. The save file holds the bytes as they
// are and covers them by its checksum; what they mean is the business of the program
// that wrote them. Names are 1 to 64 characters of letters, digits, '.', '-' and '_',
// one section per name.
struct SaveSection {
    std::string name;
    std::string bytes;
};

// The whole state of a world after its last step, with the extra sections, as the bytes
// of a save file (docs/save-format.md). Loading them gives a world that goes on exactly as
// this one would have. Throws std::invalid_argument for an extra section whose name is not
// allowed or is taken twice.
std::string encodeWorld(const World& world, const std::vector<SaveSection>& extra = {});

// Writes encodeWorld's bytes to `file`; false when the write fails (errno tells why).
bool saveWorld(std::FILE* file, const World& world, const std::vector<SaveSection>& extra = {});

// Replaces the state of `world` with the one a save file holds, and `extra` with its extra
// sections, in file order. Everything is checked first: a file that is truncated, damaged,
// of another kind or of a later format, or that holds a world a step or a drawing could
// not take, leaves `world` and `extra` as they were and gives false with a one-line reason.
bool loadWorld(std::string_view bytes, World& world, std::vector<SaveSection>& extra,
               std::string& error);

// loadWorld on the file at `path`. The reason covers a file that cannot be read too; it
// does not name the path, which the caller puts in its own message.
bool loadWorldFile(const std::string& path, World& world, std::vector<SaveSection>& extra,
                   std::string& error);
bool loadWorldFile(const std::string& path, World& world, std::string& error);

} // namespace kanimo
