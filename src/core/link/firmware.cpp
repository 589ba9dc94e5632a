#include "link/firmware.hpp"

#include "link/identification.hpp"

#include <fstream>

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
    std::ifstream in(path, std::ios::binary);
    if (!in) return out;
    // Read at most one byte more than fits, to tell a too-large file without reading it all.
    std::vector<std::uint8_t> bytes(kFirmwareMaxPadded + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return out;
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > kFirmwareMaxPadded) {
        out.tooLarge = true;
        return out;
    }
    bytes.resize(got);
    out.bytes = std::move(bytes);
    out.ok = true;
    return out;
}

} // namespace qv
