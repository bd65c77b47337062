#include "output_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kanimo {

namespace {

std::string cannotWrite(const std::string& path, const char* reason) {
    return "cannot write '" + path + "': " + reason;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

std::string checkWritableDirectory(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return cannotWrite(path, std::strerror(errno));
    if (!S_ISDIR(info.st_mode)) return cannotWrite(path, "not a directory");
    if (access(path.c_str(), W_OK | X_OK) != 0) return cannotWrite(path, std::strerror(errno));
    return {};
}

std::string checkWritableFile(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return cannotWrite(path, "it is a directory");
        if (access(path.c_str(), W_OK) != 0) return cannotWrite(path, std::strerror(errno));
        return {};
    }
    const std::string dir = directoryOf(path);
    if (stat(dir.c_str(), &info) != 0) {
        return cannotWrite(path, ("directory '" + dir + "': " + std::strerror(errno)).c_str());
    }
    if (!S_ISDIR(info.st_mode)) {
        return cannotWrite(path, ("'" + dir + "' is not a directory").c_str());
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        return cannotWrite(path, ("directory '" + dir + "': " + std::strerror(errno)).c_str());
    }
    return {};
}

std::string framePath(const std::string& dir, long long step) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06lld.png", step);
    if (!dir.empty() && dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

} // namespace kanimo
