#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "save/save.h"

namespace kanimo {

namespace {

// Far beyond any world a run makes (a few hundred creatures take well under a megabyte);
// a larger file is refused before all of it is read into memory.
constexpr long long maxFileSize = 1LL << 31;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

bool loadWorldFile(const std::string& path, World& world, std::vector<SaveSection>& extra,
                   std::string& error) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        error = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, n);
        if (static_cast<long long>(bytes.size()) > maxFileSize) {
            error = "larger than any save file";
            return false;
        }
        if (n < sizeof buffer) break;
    }
    if (std::ferror(file.get())) {
        error = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    return loadWorld(bytes, world, extra, error);
}

bool loadWorldFile(const std::string& path, World& world, std::string& error) {
    std::vector<SaveSection> extra;
    return loadWorldFile(path, world, extra, error);
}

} // namespace kanimo
