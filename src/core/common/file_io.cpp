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

std::optional<std::string> writeFileAtomic(const std::string& path, const std::string& bytes) {
    std::random_device rd;
    const std::string tmp = path + ".tmp-" + std::to_string(rd() % 1000000);
    {
        std::FILE* f = std::fopen(tmp.c_str(), "wb");
        if (!f) return std::string(std::strerror(errno));
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        const bool flushed = std::fflush(f) == 0;
        const int err = errno;
        const bool closed = std::fclose(f) == 0;
        if (!written || !flushed || !closed) {
            std::remove(tmp.c_str());
            return std::string(std::strerror(err ? err : EIO));
        }
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return ec.message();
    }
    return std::nullopt;
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
