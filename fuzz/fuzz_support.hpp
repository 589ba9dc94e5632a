#pragma once
// What the fuzz targets share: a scratch folder for the files a target reads and writes, and
// the input as bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv::fuzz {

// A folder of its own for one fuzzing process, removed when the process ends normally.
class ScratchDir {
  public:
    ScratchDir() {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string tmpl = std::string(base) + "/qvprog-fuzz-XXXXXX";
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("no scratch folder");
        dir_ = tmpl + "/";
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path(std::string_view name) const { return dir_ + std::string(name); }

  private:
    std::string dir_;
};

inline ScratchDir& scratch() {
    static ScratchDir dir;
    return dir;
}

inline void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Fails the run in a way libFuzzer reports as a crash, with the reason.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

} // namespace qv::fuzz
