#include "common/file_io.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace qv {

namespace fs = std::filesystem;

ReadResult readFileLimited(const std::string& path, std::uintmax_t maxBytes) {
    ReadResult r;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        r.status = ReadResult::Status::Missing;
        return r;
    }
    if (!fs::is_regular_file(status)) return r;
    r.size = fs::file_size(path, ec);
    if (ec) return r;
    if (r.size > maxBytes) {
        r.status = ReadResult::Status::TooLarge;
        return r;
    }
    std::ifstream in(path, std::ios::binary);
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
std::FILE* createTemporary(const fs::path& target, std::string& name) {
    std::random_device rd;
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        name = target.string() + ".tmp-" + std::to_string(rd() % 1000000);
        errno = 0;
        if (std::FILE* f = std::fopen(name.c_str(), "wbx")) return f;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

} // namespace

std::optional<std::string> writeFileAtomic(const std::string& path, const std::string& bytes) {
    const auto target = linkTarget(path);
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
    std::string tmp;
    std::FILE* f = createTemporary(*target, tmp);
    if (!f) return reason(errno);
    // The new file gets the old one's permissions before it holds a byte of the data.
    if (replacing) fs::permissions(tmp, old.permissions(), fs::perm_options::replace, ec);
    const bool written = !ec && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool flushed = written && std::fflush(f) == 0;
    const int err = ec ? ec.value() : errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !flushed || !closed) {
        std::remove(tmp.c_str());
        return reason(err);
    }
    fs::rename(tmp, *target, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return ec.message();
    }
    return std::nullopt;
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

SplitPath splitPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

} // namespace qv
