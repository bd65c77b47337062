#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kanimo {

// A file that readers see whole or not at all. Opening creates a temporary file in the
// target's own directory (where a rename is atomic); commit renames it onto the target
// once everything written is flushed and on disk. Until then an existing file of that
// name is untouched, and a file never committed is removed, by the destructor on the
// usual ways out and from a list of open temporary files on the others (exit, terminate).
//
// Write through stream() (or its descriptor, fileno(stream())), or let a library that
// opens files by name (a database) write to temporaryPath() and close it before the
// commit. A path that names a device or a pipe (/dev/null, a process substitution) is
// written directly, with no temporary file: its reader sees the bytes as they come; a
// named pipe that nothing reads is refused rather than waited for.
//
// Opening refuses what another user may have planted in a shared sticky folder such as
// /tmp: a symbolic link (see unsafeLink), a pipe or a device. It refuses a file mounted in
// place, which the rename could not replace. A file replaced keeps its permission bits.
// Temporary files of this target that a killed run left behind are removed.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile() { discard(); }
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file: the check, before any work, that the output can be
    // made. Returns an empty string, or a one-line reason naming the path.
    std::string open(const std::string& path);

    bool isOpen() const { return stream_ != nullptr; }
    const std::string& path() const { return path_; }
    std::FILE* stream() const { return stream_; }
    const std::string& temporaryPath() const { return temporary_; } // empty for a device
    const std::string& target() const { return target_; }           // the file commit replaces

    // Writes all of `text`; after a failure returns the reason, and commit will fail.
    std::string write(std::string_view text);

    // Flushes, checks every earlier write, syncs, closes and renames into place. Returns
    // an empty string, or the reason; the temporary file is gone either way.
    std::string commit();

    // Closes and removes the temporary file, leaving the target as it was.
    void discard();

  private:
    std::string fail(int error);

    std::string path_;      // as given, for messages
    std::string target_;    // what the rename replaces
    std::string temporary_; // empty when writing to a device or a pipe directly
    std::FILE* stream_ = nullptr;
    int writeError_ = 0; // errno of the first failed write
};

// Why the symbolic links `path` ends in may not be followed, or an empty string. As the
// kernel's protected_symlinks rule has it, a link in a sticky folder that anyone may write
// to (/tmp) is followed only when it belongs to the caller or to the folder's owner:
// otherwise another user's link could make a run replace a file of the caller's.
std::string unsafeLink(const std::string& path);

// "cannot write 'PATH': REASON", the path cut and escaped for a one-line message.
std::string cannotWrite(std::string_view path, std::string_view reason);

// Where a file written to `path` lands: the file it names when that exists (symbolic
// links followed, a link to a file yet to be made too), otherwise the real path of its
// deepest existing folder plus the rest;
// `path` itself when nothing of it resolves. Two outputs that land on one path would
// overwrite each other.
std::string landingPath(const std::string& path);

} // namespace kanimo
