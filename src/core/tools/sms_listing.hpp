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

// One line of the listing: a fixed text (length 0), or a label and the image bytes its command
// carries.
struct SmsListingEntry {
    std::string label; // the line's text before the command, "PIN                      : "
    int offset = 0;
    int length = 0;
    bool isCommand() const { return length > 0; }
};

// The listing's 191 lines in order.
const std::vector<SmsListingEntry>& smsListingEntries();

// A command line's label without its padding and colon: "PIN", "Numer telefonu \"TEST\"".
std::string smsListingLabel(const SmsListingEntry& entry);

// The whole listing, one UTF-8 line per entry (191 lines).
std::vector<std::string> smsListing(const ConfigImage& image);

} // namespace qv
