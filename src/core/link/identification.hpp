#pragma once
// The identification answer of the module's bootloader and the compatibility rules.
#include "link/link_types.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Keeps the bytes of the raw answer whose code is above 0x2E (drops control bytes, the blank
// and the punctuation "!" to "."); the "/" separators stay.
std::string filterIdentification(std::string_view raw);

// Splits the filtered answer (Windows-1250 bytes) at "/" and parses the numbers. Texts in the
// result are UTF-8.
DeviceIdentity parseIdentification(std::string_view filtered);

// A two-character decimal number ("05" -> 5); -1 when a character is missing or not a digit.
int twoDigitNumber(std::string_view text, std::size_t pos);

// The identification lines in the order the link window shows them.
std::vector<std::string> identificationLogLines(const DeviceIdentity& id);

// True when the bootloader identifier is "B" or later (plain byte order): only then are the
// version and platform checks made.
bool bootloaderIsChecked(std::string_view bootLoaderIdCp1250);

// The refusal when another module answers than the one the caller meant: "Odpowiedział moduł o
// numerze seryjnym X, a nie Y: konfiguracja nie została wysłana." (for a write).
std::string otherModuleMessage(std::string_view answered, std::string_view expected, LinkMode mode);

// Hardware platforms the program works with.
bool platformIsSupported(int platform);

} // namespace qv
