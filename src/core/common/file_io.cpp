#include "common/file_io.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {

namespace fs = std::filesystem;

std::optional<fs::path> pathFromUtf8(std::string_view utf8) {
    const std::u8string text(utf8.begin(), utf8.end());
    try {
        return fs::path(text);
    } catch (const std::exception&) { // Windows: not UTF-8
        return std::nullopt;
    }
}

std::string utf8FromPath(const fs::path& path) {
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::exception&) { // Windows: a lone surrogate
        return std::string();
    }
}

std::FILE* openNewFile(const fs::path& name) {
#ifdef _WIN32
    // The Windows C runtime ignores an "x" in fopen's mode and opens the file that is there:
    // _O_EXCL refuses it.
    const int fd =
        ::_wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* f = ::_fdopen(fd, "wb");
    if (!f) ::_close(fd);
    return f;
#else
    return std::fopen(name.c_str(), "wbx");
#endif
}

ReadResult readFileLimited(const std::string& pathText, std::uintmax_t maxBytes) {
    ReadResult r;
    const auto path = pathFromUtf8(pathText);
    std::error_code ec;
    const auto status = path ? fs::status(*path, ec) : fs::file_status();
    if (ec || !fs::exists(status)) {
        r.status = ReadResult::Status::Missing;
        return r;
    }
    if (!fs::is_regular_file(status)) return r;
    r.size = fs::file_size(*path, ec);
    if (ec) return r;
    if (r.size > maxBytes) {
        r.status = ReadResult::Status::TooLarge;
        return r;
    }
    std::ifstream in(*path, std::ios::binary);
    if (!in) return r;
    r.bytes.resize(static_cast<std::size_t>(r.size));
    in.read(r.bytes.data(), static_cast<std::streamsize>(r.bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(r.bytes.size())) return r;
    // The file may have grown since its size was taken: read what is left, within the limit.
    char extra;
    if (in.read(&extra, 1)) {
        r.status = ReadResult::Status::TooLarge;
        return r;
    }
    r.status = ReadResult::Status::Ok;
    return r;
}

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kTemporaryNameTries = 16;

// Where a write to path lands: the path itself or, for a symbolic link, the file it points at
// (followed link by link; a relative target counts from the link's folder).
std::optional<fs::path> linkTarget(fs::path p) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) return std::nullopt;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return std::nullopt;
}

std::string reason(int err) {
    return std::strerror(err ? err : EIO);
}

// Creates a file of a new name beside target, never opening one that is already there.
std::FILE* createTemporary(const fs::path& target, fs::path& name) {
    std::random_device rd;
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        name = target;
        name += ".tmp-" + std::to_string(rd() % 1000000);
        errno = 0;
        if (std::FILE* f = openNewFile(name)) return f;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

} // namespace

std::optional<std::string> writeFileAtomic(const std::string& pathText, const std::string& bytes) {
    const auto path = pathFromUtf8(pathText);
    if (!path) return reason(EILSEQ);
    const auto target = linkTarget(*path);
    if (!target) return reason(ELOOP);
    std::error_code ec;
    const fs::file_status old = fs::status(*target, ec);
    const bool replacing = fs::exists(old);
    if (replacing) {
        // Directories, devices and pipes are never replaced by a plain file.
        if (!fs::is_regular_file(old)) return std::string("not a regular file");
        // Refuse what writing into the file itself would refuse (a read-only file).
        errno = 0;
        if (!std::fstream(*target, std::ios::in | std::ios::out | std::ios::binary))
            return reason(errno ? errno : EACCES);
    }
    ec.clear(); // a file not there yet is no error
    fs::path tmp;
    std::FILE* f = createTemporary(*target, tmp);
    if (!f) return reason(errno);
    // The new file gets the old one's permissions before it holds a byte of the data.
    if (replacing) fs::permissions(tmp, old.permissions(), fs::perm_options::replace, ec);
    const bool written = !ec && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool flushed = written && std::fflush(f) == 0;
    const int err = ec ? ec.value() : errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !flushed || !closed) {
        fs::remove(tmp, ec);
        return reason(err);
    }
    fs::rename(tmp, *target, ec);
    if (ec) {
        const std::string message = ec.message();
        fs::remove(tmp, ec);
        return message;
    }
    return std::nullopt;
}

std::optional<std::string> ensurePrivateFile(const std::string& pathText) {
    const auto path = pathFromUtf8(pathText);
    if (!path) return reason(EILSEQ);
#ifdef _WIN32
    errno = 0;
    if (std::FILE* f = openNewFile(*path)) {
        std::fclose(f);
        return std::nullopt;
    }
    if (errno != EEXIST) return reason(errno);
    std::error_code ec;
    if (!fs::is_regular_file(*path, ec)) return std::string("not a regular file");
    return std::nullopt;
#else
    // O_EXCL: a file (or a link) already there is never opened here.
    const int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return std::nullopt;
    }
    if (errno != EEXIST) return reason(errno);
    struct stat st {};
    if (::stat(path->c_str(), &st) != 0) return reason(errno);
    if (!S_ISREG(st.st_mode)) return std::string("not a regular file");
    if ((st.st_mode & 077) != 0 && ::chmod(path->c_str(), st.st_mode & 0700) != 0)
        return reason(errno);
    return std::nullopt;
#endif
}

bool isRegularFile(const std::string& pathText) {
    const auto path = pathFromUtf8(pathText);
    std::error_code ec;
    return path && fs::is_regular_file(*path, ec);
}

bool fileExists(const std::string& pathText) {
    const auto path = pathFromUtf8(pathText);
    std::error_code ec;
    return path && fs::exists(*path, ec);
}

SplitPath splitPath(const std::string& path, PathStyle style) {
    std::size_t cut = 0; // where the name starts
    if (style == PathStyle::Posix) {
        const auto slash = path.find_last_of('/');
        if (slash != std::string::npos) cut = slash + 1;
    } else {
        const auto slash = path.find_last_of("/\\");
        if (slash != std::string::npos) {
            cut = slash + 1;
        } else if (path.size() >= 2 && path[1] == ':' &&
                   ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
            cut = 2; // "C:x.qvx"
        }
    }
    return {path.substr(0, cut), path.substr(cut)};
}

} // namespace qv
