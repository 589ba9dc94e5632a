#include "archive_helpers.hpp"

#include "common/file_io.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "link/identification.hpp"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace qv::test {

ConfigImage siteImage(const std::string& siteName, const std::string& siteNumber,
                      const std::string& phone) {
    Settings s;
    applyDefaults(s);
    s.objectName = siteName;
    s.object = siteNumber;
    s.password = "5511";
    s.pin = "7788";
    s.privPhones[0] = phone;
    ConfigImage image;
    form2tab(s, image, "obiekt.qvx", "2024-05-06 07:08:09");
    return image;
}

NewArchiveEntry sampleEntry(const std::string& serial, const std::string& siteName,
                            const std::string& siteNumber, const std::string& phone) {
    NewArchiveEntry e;
    e.state = std::string(kStateRead);
    e.image = siteImage(siteName, siteNumber, phone);
    e.identity = parseIdentification("X/B/NAME_0503/" + serial);
    e.time = {2024, 5, 6, 7, 8, 9, 0};
    e.userName = "ola";
    e.fileName = "/home/ola/obiekt.qvx";
    return e;
}

ScratchFolder::ScratchFolder(const std::string& name)
    : dir_(std::filesystem::temp_directory_path() /
           ("qvprog_archive_" + name + "_" + std::to_string(getpid()))) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string ScratchFolder::path(const std::string& name) const {
    return utf8FromPath(dir_ / pathFromUtf8(name).value_or(""));
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(pathFromUtf8(path).value_or(""), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(pathFromUtf8(path).value_or(""), std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace qv::test
