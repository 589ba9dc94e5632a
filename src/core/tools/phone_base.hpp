#pragma once
// The module's base of up to 4000 control phone numbers and its welcome and goodbye texts:
// the 32300-byte image moved to and from the module, and the grid the user edits.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv {

inline constexpr int kPhoneBaseRows = 4000;
inline constexpr std::size_t kPhoneRecordSize = 8;     // 16 nibbles, one digit each
inline constexpr std::size_t kPhoneBaseTextSize = 150; // welcome and goodbye areas
inline constexpr std::size_t kPhoneBaseTextMax = 149;  // characters kept of each text
inline constexpr int kPhoneNumberMaxDigits = 16;
inline constexpr int kPhoneNumberMinDigits = 9;
inline constexpr std::size_t kPhoneNumbersSize = kPhoneBaseRows * kPhoneRecordSize;     // 32000
inline constexpr std::size_t kWelcomeOffset = kPhoneNumbersSize;                        // 32000
inline constexpr std::size_t kGoodbyeOffset = kWelcomeOffset + kPhoneBaseTextSize;      // 32150
inline constexpr std::size_t kPhoneBaseImageSize = kGoodbyeOffset + kPhoneBaseTextSize; // 32300

inline constexpr std::string_view kPhoneBaseCaption =
    "Dodatkowe 4000 numerów telefonów sterujących";
inline constexpr std::string_view kPhoneBaseReadInvalidMessage =
    "Odczytana konfiguracja zawiera blad. Sprobuj jeszcze raz lub wgraj ja na nowo.";
// Asked before the program ends with phone base entries kept neither in the module nor in a file.
inline constexpr std::string_view kAskDiscardPhoneBase =
    "Baza telefonów była modyfikowana i nie została zapisana ! Czy chcesz kontynuować ?";

// The image in wire order: record r (1..4000) at bytes 8(r-1)..8r-1, then the two texts.
struct PhoneBaseImage {
    std::array<std::uint8_t, kPhoneBaseImageSize> bytes{};

    // An empty base: every record 0xFF, both texts empty.
    static PhoneBaseImage empty();
    // The first 32300 bytes of a transfer buffer; nothing when it is shorter.
    static std::optional<PhoneBaseImage> fromBytes(std::span<const std::uint8_t> bytes);
    bool operator==(const PhoneBaseImage&) const = default;
};

// What the phone base window edits: the number and description of each row and the two texts
// (UTF-8). Descriptions live only in the window and the file, never in the module.
struct PhoneBaseTable {
    std::array<std::string, kPhoneBaseRows> numbers;
    std::array<std::string, kPhoneBaseRows> names;
    std::string welcome;
    std::string goodbye;

    void clear();
    bool operator==(const PhoneBaseTable&) const = default;
    // The numbers and the two texts alike: what the module would hold is the same (the
    // descriptions never reach it).
    bool sameForModule(const PhoneBaseTable& other) const {
        return numbers == other.numbers && welcome == other.welcome && goodbye == other.goodbye;
    }
};

// The phone base as the window edits it, and where its entries are kept. The grid follows the
// image the program holds until numbers or texts are typed (or loaded from a file): those stay
// until they are written into the image or replaced. Entries are kept once the module holds
// them (read from it, written to it, or the program's image came from it) or a file holds
// them, descriptions included; any others are lost when the program ends.
class PhoneBaseDraft {
  public:
    PhoneBaseTable& grid() { return grid_; }
    const PhoneBaseTable& grid() const { return grid_; }

    // The grid was just decoded from the image the program holds.
    void shownFromImage();
    // The grid was just encoded into the image the program holds, on its way to the module.
    void writtenToImage();
    // The module holds the grid's numbers and texts: just read from it or written to it.
    void heldByModule();
    // A phone base file holds the grid: just saved to it or loaded from it.
    void keptInFile() { kept_ = grid_; }

    // The grid shows the held image: no typed or loaded entries wait to be written into it.
    bool followsImage() const { return grid_.sameForModule(image_); }
    // Entries, descriptions included, that neither the module nor a file holds.
    bool unsaved() const { return !(grid_ == kept_); }

  private:
    PhoneBaseTable grid_;
    PhoneBaseTable image_; // the grid as it last matched the held image
    PhoneBaseTable kept_;  // the module's numbers and texts, the last file's descriptions
    PhoneBaseTable sent_;  // the grid as last written into the image
    bool sending_ = false; // the image holds sent_ and the module has not taken it
};

// One record from a number of digits: right-aligned, one digit per nibble, unused nibbles 0xF;
// of a longer number only the last 16 digits. The text must hold digits only.
std::array<std::uint8_t, kPhoneRecordSize> encodePhoneNumber(std::string_view digits);
// The digits of a record, from the last nibble backwards up to the first nibble that is not a
// digit. An empty text when byte 8 is 0xFF.
std::string decodePhoneNumber(const std::uint8_t* record);

struct PhoneBaseEncodeResult {
    bool ok = true;
    std::string message; // why the write was refused
};

// Encodes the numbers and the two texts (first 149 characters, Windows-1250) into the image.
// A number holding anything but digits refuses the whole encoding and leaves the image as it was.
PhoneBaseEncodeResult encodePhoneBase(const PhoneBaseTable& table, PhoneBaseImage& image);

// Decodes the image into the numbers and the two texts; the descriptions are left as they are.
// Zero bytes in the text areas are skipped.
void decodePhoneBase(const PhoneBaseImage& image, PhoneBaseTable& table);

// Rows whose number, with every non-digit dropped, has 1 to 8 digits: too short to be written.
int countShortNumbers(const PhoneBaseTable& table);
// "!!! Znaleziono n bledow w numerach telefonow - operacja przerwana !!!"
std::string shortNumbersMessage(int count);

// A read image is valid when no byte of the number area other than 0xFF holds a nibble 0xA..0xE.
bool isValidReadImage(const PhoneBaseImage& image);

// Rows whose number is not empty, and the label text "n z 4000".
int occupiedRows(const PhoneBaseTable& table);
std::string occupiedText(int count);

struct PhoneBaseSearch {
    int count = 0;
    int firstRow = -1; // 0-based row of the first match, -1 when there is none
};
// Whether row (0-based) matches: its number or description contains the text (case matters).
// Nothing matches an empty text.
bool phoneBaseRowMatches(const PhoneBaseTable& table, int row, std::string_view text);
// Rows whose number or description contains the text (case matters); nothing for an empty text.
PhoneBaseSearch searchPhoneBase(const PhoneBaseTable& table, std::string_view text);

// Keys the number column accepts while typing: digits, Backspace (8), Ctrl+C (3), Ctrl+X (24).
constexpr bool numberCellAcceptsKey(int key) {
    return (key >= '0' && key <= '9') || key == 8 || key == 3 || key == 24;
}

// An edited cell longer than 16 characters keeps its last 16 characters.
std::string trimEditedCell(std::string_view utf8);

} // namespace qv
