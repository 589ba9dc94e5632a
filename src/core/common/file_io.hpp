#pragma once
// File access for the core: whole-file reads with a size limit, and writes that go through a
// temporary file and an atomic rename, so a crash or a full disk never leaves a half-written
// file in place of the user's file.
#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct ReadResult {
    enum class Status { Ok, Missing, TooLarge, Error };
    Status status = Status::Error;
    std::string bytes;
    std::uintmax_t size = 0; // the file's size, also when it was too large to read
    bool ok() const { return status == Status::Ok; }
};

// Reads the whole file when it is at most maxBytes long.
ReadResult readFileLimited(const std::string& path, std::uintmax_t maxBytes);

// Writes bytes to path through "path.tmp-XXXXXX" and a rename; on failure the old file is
// left as it was and the reason is returned. The save keeps what the old file was: a symbolic
// link is written through to the file it points at, the replaced file's permissions are kept,
// a file that could not be written in place (read-only) is refused, and anything that is not a
// regular file (a directory, a device, a pipe) is refused, never replaced.
std::optional<std::string> writeFileAtomic(const std::string& path, const std::string& bytes);

bool fileExists(const std::string& path);
// True for a regular file (after following links); false for a directory, device or pipe.
bool isRegularFile(const std::string& path);

// "dir/" and "name" of a path (the folder keeps its trailing delimiter).
struct SplitPath {
    std::string dir;
    std::string name;
};
SplitPath splitPath(const std::string& path);

} // namespace qv
