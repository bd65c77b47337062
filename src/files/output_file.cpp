#include "files/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
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
#include <map>
#include <mutex>
#include <set>
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

// The part of a target's name its temporary files carry: cut so that the temporary name
// stays within the file system's limit wherever the target's does.
std::string temporaryStem(const std::string& name) {
    return name.substr(0, NAME_MAX - 32);
}

// The temporary files that runs killed before they could remove them (SIGKILL, a crash)
// left in a folder: ".STEM.<pid>-<n>.tmp" of a process that is gone, regular files of the
// caller's own. A folder is looked through once, at the first output made in it; a file
// is removed when a run writes to the target it was meant for.
std::mutex staleLock;
std::set<std::string> foldersSeen;
std::multimap<std::pair<std::string, std::string>, std::string> staleTemporaries;

// The pid of a temporary file's name, or 0 for a name of another form.
pid_t temporaryOwner(std::string_view name, std::string_view& stem) {
    constexpr std::string_view suffix = ".tmp";
    if (name.size() < 2 + suffix.size() || name.front() != '.' ||
        name.substr(name.size() - suffix.size()) != suffix) {
        return 0;
    }
    name = name.substr(1, name.size() - 1 - suffix.size()); // STEM.<pid>-<n>
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return 0;
    const std::string_view counter = name.substr(dot + 1);
    const std::size_t dash = counter.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == counter.size()) return 0;
    long long pid = 0;
    for (std::size_t i = 0; i < counter.size(); ++i) {
        if (i == dash) continue;
        if (counter[i] < '0' || counter[i] > '9' || (i < dash && pid > INT_MAX / 10)) return 0;
        if (i < dash) pid = pid * 10 + (counter[i] - '0');
    }
    stem = name.substr(0, dot);
    return static_cast<pid_t>(pid);
}

void removeStaleTemporaries(const std::string& dir, const std::string& stem) {
    const std::lock_guard<std::mutex> lock(staleLock);
    if (foldersSeen.insert(dir).second) {
        if (DIR* folder = opendir(dir.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                std::string_view entryStem;
                const pid_t pid = temporaryOwner(entry->d_name, entryStem);
                if (pid <= 0 || pid == getpid() || kill(pid, 0) == 0 || errno != ESRCH) continue;
                const std::string path = dir + "/" + entry->d_name;
                struct stat info;
                if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
                    info.st_uid != geteuid()) {
                    continue;
                }
                staleTemporaries.emplace(std::pair(dir, std::string(entryStem)), path);
            }
            closedir(folder);
        }
    }
    const auto [first, last] = staleTemporaries.equal_range({dir, stem});
    for (auto it = first; it != last; ++it) unlink(it->second.c_str());
    staleTemporaries.erase(first, last);
}

// ".name.<pid>-<n>.tmp" beside the target: hidden, and unique among the program's own
// files; O_EXCL settles any clash with another program's, and O_NOFOLLOW refuses a link
// planted under the name.
int createTemporary(const std::string& target, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    const auto [dir, name] = splitPath(target);
    const std::string stem = temporaryStem(name);
    removeStaleTemporaries(dir, stem);
    const std::string start = dir + "/." + stem + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = start + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
        // 0666 leaves the permissions to the umask, as for any other file the user makes.
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// A folder anyone may write to, where the sticky bit keeps users from each other's files.
bool isSharedFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

// Whether a file in such a folder may be trusted: the caller's own, or the folder owner's.
bool isTrusted(const struct stat& file, const struct stat& folder) {
    return file.st_uid == geteuid() || file.st_uid == folder.st_uid;
}

// Symbolic links followed before a path is taken as looping, as the kernel counts them.
constexpr int maxLinks = 40;

std::string trimmed(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Where the symbolic link `path` points, as a path from the same working folder, or an
// empty string when `path` is no link.
std::string linkTarget(const std::string& path) {
    const std::string at = trimmed(path);
    struct stat link;
    if (lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return {};
    std::string target(static_cast<std::size_t>(link.st_size) + 1, '\0');
    const ssize_t length = readlink(at.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    if (target.front() == '/') return target;
    const std::string dir = splitPath(at).first;
    return (dir == "/" ? "" : dir) + "/" + target;
}

std::string landing(const std::string& path, int linksLeft) {
    std::string real = realPath(path);
    if (!real.empty()) return real;
    // A link to a file yet to be made lands where the file will be, as a shell's > would.
    // (A link that leads to something realpath cannot name, such as /dev/stdout's pipe, is
    // no such link: it is taken as written, below.)
    struct stat info;
    if (linksLeft > 0 && stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        if (const std::string next = linkTarget(path); !next.empty()) {
            return landing(next, linksLeft - 1);
        }
    }
    const std::string whole = trimmed(path);
    const auto [dir, name] = splitPath(whole);
    // Folders that do not exist yet (--frames makes them) hold no links to follow, so the
    // path from the deepest one that does is taken as written.
    const std::string realDir = dir == whole ? std::string() : landing(dir, linksLeft);
    if (realDir.empty() || realDir.front() != '/') return path;
    const std::string joined = realDir == "/" ? "/" + name : realDir + "/" + name;
    std::string normal = std::filesystem::path(joined).lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

// What a write to `path` replaces: the file it names when that exists (symbolic links
// followed, a link to a file yet to be made too), otherwise the real folder plus the name;
// `path` itself when not even the folder exists, so that the write fails as the system
// says rather than landing where a folder yet to be made would have led.
std::string targetPath(const std::string& path, int linksLeft) {
    std::string real = realPath(path);
    if (!real.empty()) return real;
    struct stat info;
    if (linksLeft > 0 && stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        if (const std::string next = linkTarget(path); !next.empty()) {
            return targetPath(next, linksLeft - 1);
        }
    }
    const auto [dir, name] = splitPath(path);
    const std::string realDir = realPath(dir);
    if (realDir.empty()) return path;
    return realDir == "/" ? "/" + name : realDir + "/" + name;
}

// Whether the file `path` names is the root of a mount (a bind-mounted file), which a
// rename cannot replace.
bool isMountRoot(const std::string& path) {
    struct statx info;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE, &info) != 0) return false;
    return (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
           (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

} // namespace

std::string unsafeLink(const std::string& path) {
    std::string at = path;
    for (int hop = 0; hop < maxLinks; ++hop) {
        struct stat link;
        if (lstat(trimmed(at).c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return {};
        struct stat folder;
        if (stat(splitPath(trimmed(at)).first.c_str(), &folder) != 0) return {};
        if (isSharedFolder(folder) && !isTrusted(link, folder)) {
            return "a symbolic link that another user made in a shared folder, which is "
                   "not followed";
        }
        at = linkTarget(at);
        if (at.empty()) return {};
    }
    return {};
}

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
    writeError_ = 0;
    if (std::string problem = unsafeLink(path); !problem.empty()) {
        return cannotWrite(path, problem);
    }
    target_ = targetPath(path, maxLinks);
    int fd = -1;
    struct stat info;
    const bool exists = stat(target_.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) return fail(errno);
    if (exists && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) return fail(EISDIR);
        // A pipe or a device another user left in a shared folder may be a trap: only the
        // caller's own, or the folder owner's, is written to.
        struct stat folder;
        if (stat(splitPath(target_).first.c_str(), &folder) == 0 && isSharedFolder(folder) &&
            !isTrusted(info, folder)) {
            return cannotWrite(path, "a pipe or device that another user made in a shared "
                                     "folder, which is not written to");
        }
        // Without O_NONBLOCK, opening a named pipe waits for a reader, and no signal ends
        // the wait; with it, a pipe that nothing reads is refused at once.
        fd = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENXIO && S_ISFIFO(info.st_mode)) {
                return cannotWrite(path, "a named pipe that nothing reads");
            }
            return fail(errno);
        }
        const int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            const int error = errno;
            close(fd);
            return fail(error);
        }
    } else {
        // A file its owner made read-only stays as it is, though a rename could replace it.
        if (exists && access(target_.c_str(), W_OK) != 0) return fail(errno);
        if (exists && isMountRoot(target_)) {
            return cannotWrite(path, "a file mounted in place, which a rename cannot replace");
        }
        fd = createTemporary(target_, temporary_);
        if (fd < 0) {
            const int error = errno;
            temporary_.clear();
            return fail(error);
        }
        remember(temporary_);
        // A file replaced keeps its permissions (a private file stays private); a new one
        // has what the umask leaves.
        if (exists && fchmod(fd, info.st_mode & 0777) != 0) {
            const int error = errno;
            close(fd);
            discard();
            return fail(error);
        }
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
    return landing(path, maxLinks);
}

} // namespace kanimo
