#pragma once
// The two configuration file formats: the .qvx text file (settings by key) and the .bCFG
// binary file (the image with a check sum).
#include "config/config_image.hpp"
#include "config/ini_profile.hpp"
#include "config/settings.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct QvxHeader {
    std::string date;             // "YYYY/MM/DD" with the date separator
    std::string time;             // "HH:mm:SS"
    std::string app;              // "QV PROG 2.2.24"
    std::string originalFileName; // the file's name when it was saved
};

// Writes [HEADER], [CONFIG] and [OTHER] into the profile (existing lines stay in place). A
// bell time list without selection is first set to item 0, as the window does.
void writeQvx(IniProfile& ini, Settings& s, const QvxHeader& header);

// Reads every setting from the profile, in the load order, with each key's default when it is
// missing, and returns the three header log lines. Settings the file does not hold keep their
// values. Slot 1's input time is set to item 9 and slots 1..4 to NO, whatever the file says.
std::vector<std::string> readQvx(const IniProfile& ini, Settings& s);

// The description memo holds at most this many lines when loaded from a file.
inline constexpr int kMaxDescriptionLines = 10000;

// Binary file: 5123 bytes are written; a file shorter than 20000 bytes is accepted when its
// last three bytes are 0 and the 16-bit sum of all bytes before them (high byte first).
inline constexpr std::size_t kBinaryFileSize = ConfigImage::kSize + 3;
inline constexpr std::size_t kBinaryFileLimit = 20000;
inline constexpr std::size_t kEventBufferSize = 8000;
inline constexpr std::size_t kBinaryWithHistorySize = ConfigImage::kSize + kEventBufferSize + 3;

std::string encodeBinaryFile(const ConfigImage& image);

struct BinaryFileContents {
    std::string payload;                                  // every byte before the three check bytes
    std::optional<std::vector<std::uint8_t>> eventBuffer; // for a 13123-byte file
};
enum class BinaryCheck { Ok, TooLarge, TooShort, BadCheckBytes };
// Checks file bytes by the open rules; fills `out` only when they pass.
BinaryCheck decodeBinaryFile(const std::string& bytes, BinaryFileContents& out);

} // namespace qv
