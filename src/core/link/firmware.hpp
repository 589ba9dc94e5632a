#pragma once
// Firmware files: what their names say, loading them, and the nibble encoding of the upload.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The firmware buffer holds 30001 bytes; an upload is padded to a multiple of 256 bytes, so
// the largest file that fits is 117 * 256 bytes.
inline constexpr std::size_t kFirmwareBufferSize = 30001;
inline constexpr std::size_t kFirmwareBlock = 256;
inline constexpr std::size_t kFirmwareMaxPadded =
    kFirmwareBufferSize / kFirmwareBlock * kFirmwareBlock;

// Six digits after the first "_" of the file name (without directory): version, minimum
// program minor version, target platform. A pair that is not a number is -1.
struct FirmwareFileName {
    int version = -1;
    int minProgramMinor = -1;
    int platform = -1;
    // The platform as the session keeps it: one byte, so -1 becomes 255.
    std::uint8_t platformByte() const { return static_cast<std::uint8_t>(platform); }
};

FirmwareFileName parseFirmwareFileName(std::string_view path);

// The three lines the firmware window shows for a chosen file.
std::vector<std::string> firmwareFileNameLines(const FirmwareFileName& f);

// The size rounded up to a multiple of 256.
std::size_t paddedFirmwareSize(std::size_t size);

struct FirmwareLoad {
    bool ok = false;
    std::vector<std::uint8_t> bytes; // the whole file when ok
    bool tooLarge = false;           // the padded file would not fit the firmware buffer
};

// Reads the file (opened for reading only). Refuses anything but a regular file, and files
// whose padded size exceeds the firmware buffer.
FirmwareLoad loadFirmwareFile(const std::string& path);

// The two characters that carry one byte: '0' + high nibble, '0' + low nibble.
inline std::uint8_t highNibbleChar(std::uint8_t b) {
    return static_cast<std::uint8_t>(0x30 + (b >> 4));
}
inline std::uint8_t lowNibbleChar(std::uint8_t b) {
    return static_cast<std::uint8_t>(0x30 + (b & 0x0F));
}

} // namespace qv
