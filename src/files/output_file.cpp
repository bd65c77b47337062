#include "files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

#include "files/printable.h"

namespace kanimo {

namespace {

// The temporary files not yet committed or removed, for the ways out that skip
// destructors. Threads may open files, so the list has a lock.
std::mutex openTemporariesLock;
std::vector<std::string> openTemporaries;
std::terminate_handler previousTerminate = nullptr;

void removeOpenTemporaries() {
    const std::lock_guard<std::mutex> lock(openTemporariesLock);
    for (const std::string& path : openTemporaries) unlink(path.c_str());
    openTemporaries.clear();
}

[[noreturn]] void removeOpenTemporariesAndTerminate() {
    removeOpenTemporaries();
    if (previousTerminate != nullptr) previousTerminate();
    std::abort();
}

void remember(const std::string& temporary) {
    static const bool installed = [] {
        std::atexit(removeOpenTemporaries);
        previousTerminate = std::set_terminate(removeOpenTemporariesAndTerminate);
        return true;
    }();
    (void)installed;
    const std::lock_guard<std::mutex> lock(openTemporariesLock);
    openTemporaries.push_back(temporary);
}

void forget(const std::string& temporary) {
    const std::lock_guard<std::mutex> lock(openTemporariesLock);
    const auto found = std::find(openTemporaries.begin(), openTemporaries.end(), temporary);
    if (found != openTemporaries.end()) openTemporaries.erase(found);
}

// "dir/name" -> {"dir", "name"}; "name" -> {".", "name"}; "/name" -> {"/", "name"}.
std::pair<std::string, std::string> splitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string realPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return {};
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// What a write to `path` replaces: the file it names when that exists (symbolic links
// followed), otherwise the real directory plus the name; `path` itself when not even the
// directory exists, so that the write fails as the system says.
std::string targetPath(const std::string& path) {
    std::string real = realPath(path);
    if (!real.empty()) return real;
    const auto [dir, name] = splitPath(path);
    const std::string realDir = realPath(dir);
    if (realDir.empty()) return path;
    return realDir == "/" ? "/" + name : realDir + "/" + name;
}

// ".name.<pid>-<n>.tmp" beside the target: hidden, and unique among the program's own
// files; O_EXCL settles any clash with another program's. The name is cut so that the
// temporary name stays within the file system's limit wherever the target's does.
int createTemporary(const std::string& target, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    const auto [dir, name] = splitPath(target);
    const std::string stem = dir + "/." + name.substr(0, NAME_MAX - 32) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = stem + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
        // 0666 leaves the permissions to the umask, as for any other file the user makes.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)), target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)), stream_(std::exchange(other.stream_, nullptr)),
      writeError_(other.writeError_) {
    other.temporary_.clear();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        stream_ = std::exchange(other.stream_, nullptr);
        writeError_ = other.writeError_;
    }
    return *this;
}

std::string OutputFile::open(const std::string& path) {
    discard();
    path_ = path;
    target_ = targetPath(path);
    writeError_ = 0;
    int fd = -1;
    struct stat info;
    if (stat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) return fail(EISDIR);
        fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return fail(errno);
    } else {
        // A file its owner made read-only stays as it is, though a rename could replace it.
        if (access(target_.c_str(), F_OK) == 0 && access(target_.c_str(), W_OK) != 0) {
            return fail(errno);
        }
        fd = createTemporary(target_, temporary_);
        if (fd < 0) {
            const int error = errno;
            temporary_.clear();
            return fail(error);
        }
        remember(temporary_);
    }
    stream_ = fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        close(fd);
        discard();
        return fail(error);
    }
    return {};
}

std::string OutputFile::write(std::string_view text) {
    if (writeError_ != 0) return fail(writeError_);
    if (text.empty()) return {};
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
        writeError_ = errno != 0 ? errno : EIO;
        return fail(writeError_);
    }
    return {};
}

std::string OutputFile::commit() {
    if (stream_ == nullptr) return fail(EBADF);
    int error = 0;
    if (std::fflush(stream_) != 0) {
        error = errno;
    } else if (std::ferror(stream_)) {
        error = writeError_ != 0 ? writeError_ : EIO;
    } else if (!temporary_.empty() && fsync(fileno(stream_)) != 0) {
        error = errno;
    }
    if (std::fclose(std::exchange(stream_, nullptr)) != 0 && error == 0) error = errno;
    if (error == 0 && !temporary_.empty() &&
        std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        discard();
        return fail(error);
    }
    forget(std::exchange(temporary_, {}));
    return {};
}

void OutputFile::discard() {
    if (stream_ != nullptr) std::fclose(std::exchange(stream_, nullptr));
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        forget(std::exchange(temporary_, {}));
    }
}

std::string OutputFile::fail(int error) {
    return cannotWrite(path_, std::strerror(error));
}

std::string cannotWrite(std::string_view path, std::string_view reason) {
    return "cannot write '" + printable(path) + "': " + std::string(reason);
}

std::string landingPath(const std::string& path) {
    std::string real = realPath(path);
    if (!real.empty()) return real;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto [dir, name] = splitPath(trimmed);
    // Folders that do not exist yet (--frames makes them) hold no links to follow, so the
    // path from the deepest one that does is taken as written.
    const std::string realDir = dir == trimmed ? std::string() : landingPath(dir);
    if (realDir.empty() || realDir.front() != '/') return path;
    const std::string joined = realDir == "/" ? "/" + name : realDir + "/" + name;
    std::string normal = std::filesystem::path(joined).lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

} // namespace kanimo
