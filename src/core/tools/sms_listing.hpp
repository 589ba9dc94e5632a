#pragma once
// The configuration as SMS programming commands: each "*P" command writes a run of image bytes
// at an address, in capital letters only, so it can be typed into any phone.
#include "config/config_image.hpp"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qv {

inline constexpr std::string_view kSmsListingCaption = "SMSy konfiguracyjne";
inline constexpr int kSmsListingLines = 191;

// "*P" + check letter + address in base 26 (three letters) + the bytes in letter-hex.
// The offset is taken modulo 26^3.
std::string encodeSmsCommand(int offset, std::span<const std::uint8_t> bytes);

// The command for n image bytes from offset; bytes beyond the image are not included.
std::string smsCommand(const ConfigImage& image, int offset, int n);

// The whole listing, one UTF-8 line per entry (191 lines).
std::vector<std::string> smsListing(const ConfigImage& image);

} // namespace qv
