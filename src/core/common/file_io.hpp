#pragma once
// File access for the core: whole-file reads with a size limit, and writes that go through a
// temporary file and an atomic rename, so a crash or a full disk never leaves a half-written
// file in place of the user's file.
//
// Every file name travels through the program as UTF-8 text and becomes a file system path in
// pathFromUtf8 only, so that Windows gets it through its wide (UTF-16) calls: a name or a
// folder with Polish letters must never go to a narrow call, which would read it in the ANSI
// code page.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The path a file name in UTF-8 names. Elsewhere than on Windows the bytes are the name as
// they are; on Windows text that is not UTF-8 names no file at all (nullopt).
std::optional<std::filesystem::path> pathFromUtf8(std::string_view utf8);
// The UTF-8 text of a path, byte for byte what pathFromUtf8 took. A Windows name that UTF-8
// cannot hold (a lone UTF-16 surrogate) gives an empty string.
std::string utf8FromPath(const std::filesystem::path& path);

// Opens a file that is not there yet for writing in binary; fails (errno EEXIST) when a file
// of that name exists, never truncating it.
std::FILE* openNewFile(const std::filesystem::path& path);

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

// Makes sure a file that only its owner may read and write is at path: a missing file is
// created empty, with mode 0600 from the start; one that is there loses the rights of the group
// and of others. On Windows a file in the user's own data folder is the user's alone already,
// so only its existence is made sure of. Returns the reason when it cannot.
std::optional<std::string> ensurePrivateFile(const std::string& path);

bool fileExists(const std::string& path);
// True for a regular file (after following links); false for a directory, device or pipe.
bool isRegularFile(const std::string& path);

// How a path's folder ends: at the last "/" (POSIX), or on Windows also at the last "\" or
// after a drive letter ("C:x.qvx" is "x.qvx" in the current folder of drive C).
enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// "dir/" and "name" of a path (the folder keeps its trailing delimiter, so that dir + name is
// the path again).
struct SplitPath {
    std::string dir;
    std::string name;
};
SplitPath splitPath(const std::string& path, PathStyle style = kNativePathStyle);

} // namespace qv
