#include "link/firmware.hpp"

#include "common/file_io.hpp"
#include "link/identification.hpp"

namespace qv {

FirmwareFileName parseFirmwareFileName(std::string_view path) {
    const auto sep = path.find_last_of("/\\");
    std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
    const auto underscore = name.find('_');
    if (underscore != std::string_view::npos) name = name.substr(underscore + 1);
    return {twoDigitNumber(name, 0), twoDigitNumber(name, 2), twoDigitNumber(name, 4)};
}

std::vector<std::string> firmwareFileNameLines(const FirmwareFileName& f) {
    return {
        "Wersja firmware    : " + std::to_string(f.version),
        "Minimalny QVProg   : 2." + std::to_string(f.minProgramMinor) + ".x",
        "Platforma docelowa : " + std::to_string(f.platform),
    };
}

std::size_t paddedFirmwareSize(std::size_t size) {
    return (size + kFirmwareBlock - 1) / kFirmwareBlock * kFirmwareBlock;
}

FirmwareLoad loadFirmwareFile(const std::string& path) {
    FirmwareLoad out;
    // Only a regular file is read: a pipe or a device would block the session or never end.
    const ReadResult file = readFileLimited(path, kFirmwareMaxPadded);
    if (file.status == ReadResult::Status::TooLarge) {
        out.tooLarge = true;
        return out;
    }
    if (!file.ok()) return out;
    out.bytes.assign(file.bytes.begin(), file.bytes.end());
    out.ok = true;
    return out;
}

} // namespace qv
