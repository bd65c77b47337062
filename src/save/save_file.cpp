#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "save/save.h"

namespace kanimo {

namespace {

// Far beyond any world a run makes (a few hundred creatures take well under a megabyte);
// a larger file is refused before any of it is read.
constexpr long long maxFileSize = 1LL << 31;

// The header: "KANIMOSV", the u32 format and the u64 length of the whole file.
constexpr std::string_view magic = "KANIMOSV";
constexpr std::size_t headerSize = 8 + 4 + 8;

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

// Reads up to `size` bytes at `offset` into `out`; false with errno set on an error.
bool readAt(int fd, std::string& out, std::size_t offset, std::size_t size) {
    out.resize(offset + size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            pread(fd, out.data() + offset + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(offset + done);
    return true;
}

std::uint64_t littleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

} // namespace

bool loadWorldFile(const std::string& path, World& world, std::vector<SaveSection>& extra,
                   std::string& error) {
    // Without O_NONBLOCK, opening a named pipe would wait for a writer.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    // A device (/dev/zero) or a pipe never ends, or ends when its writer pleases.
    if (S_ISDIR(info.st_mode)) {
        error = std::strerror(EISDIR);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (info.st_size > maxFileSize) {
        error = "larger than any save file";
        return false;
    }
    // The header says how long the file is; a file of another length is refused without
    // being read (a sparse file of gigabytes), and no more than it announces is read.
    const auto size = static_cast<std::uint64_t>(info.st_size);
    std::string bytes;
    if (!readAt(file.fd, bytes, 0, std::min<std::size_t>(size, headerSize))) {
        error = std::strerror(errno);
        return false;
    }
    if (bytes.size() == headerSize && bytes.substr(0, magic.size()) == magic &&
        littleEndian(std::string_view(bytes).substr(magic.size(), 4)) <= saveFormatVersion) {
        const std::uint64_t length = littleEndian(std::string_view(bytes).substr(magic.size() + 4));
        if (length > size) {
            error =
                "truncated: " + std::to_string(size) + " of " + std::to_string(length) + " bytes";
            return false;
        }
        if (length < size) {
            error = std::to_string(size - length) + " bytes follow the end of the save";
            return false;
        }
    }
    if (size > bytes.size() && !readAt(file.fd, bytes, bytes.size(), size - bytes.size())) {
        error = std::strerror(errno);
        return false;
    }
    return loadWorld(bytes, world, extra, error);
}

bool loadWorldFile(const std::string& path, World& world, std::string& error) {
    std::vector<SaveSection> extra;
    return loadWorldFile(path, world, extra, error);
}

} // namespace kanimo
