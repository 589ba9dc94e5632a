#include "tools/phone_base.hpp"

#include "common/cp1250.hpp"

#include <algorithm>

namespace qv {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void putText(std::string_view utf8, std::uint8_t* area) {
    const std::string bytes = toCp1250(utf8Left(utf8, kPhoneBaseTextMax));
    std::fill(area, area + kPhoneBaseTextSize, 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), kPhoneBaseTextMax), area);
}

std::string getText(const std::uint8_t* area) {
    std::string bytes;
    for (std::size_t i = 0; i < kPhoneBaseTextSize; ++i)
        if (area[i] != 0) bytes.push_back(static_cast<char>(area[i]));
    return fromCp1250(bytes);
}
} // namespace

PhoneBaseImage PhoneBaseImage::empty() {
    PhoneBaseImage image;
    std::fill_n(image.bytes.begin(), kPhoneNumbersSize, std::uint8_t{0xFF});
    return image;
}

std::optional<PhoneBaseImage> PhoneBaseImage::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kPhoneBaseImageSize) return std::nullopt;
    PhoneBaseImage image;
    std::copy_n(bytes.begin(), kPhoneBaseImageSize, image.bytes.begin());
    return image;
}

void PhoneBaseDraft::shownFromImage() {
    image_ = grid_;
    // An image that holds entries the module never took keeps nothing; any other came from the
    // module or is the empty base of a new configuration.
    if (!(sending_ && grid_.sameForModule(sent_))) heldByModule();
}

void PhoneBaseDraft::writtenToImage() {
    image_ = grid_;
    sent_ = grid_;
    sending_ = true;
}

void PhoneBaseDraft::heldByModule() {
    kept_.numbers = grid_.numbers;
    kept_.welcome = grid_.welcome;
    kept_.goodbye = grid_.goodbye;
    sending_ = false;
}

void PhoneBaseTable::clear() {
    for (auto& n : numbers)
        n.clear();
    for (auto& n : names)
        n.clear();
    welcome.clear();
    goodbye.clear();
}

std::array<std::uint8_t, kPhoneRecordSize> encodePhoneNumber(std::string_view digits) {
    std::array<std::uint8_t, kPhoneRecordSize> rec;
    rec.fill(0xFF);
    const std::size_t count = std::min<std::size_t>(digits.size(), kPhoneNumberMaxDigits);
    for (std::size_t k = 1; k <= count; ++k) {
        const auto d = static_cast<std::uint8_t>(digits[digits.size() - k] - '0');
        std::uint8_t& byte = rec[kPhoneRecordSize - 1 - (k - 1) / 2];
        if (k % 2 == 1)
            byte = static_cast<std::uint8_t>((byte & 0xF0) | d);
        else
            byte = static_cast<std::uint8_t>((byte & 0x0F) | (d << 4));
    }
    return rec;
}

std::string decodePhoneNumber(const std::uint8_t* record) {
    if (record[kPhoneRecordSize - 1] == 0xFF) return {};
    char digits[kPhoneNumberMaxDigits];
    std::size_t n = 0;
    for (std::size_t i = kPhoneRecordSize; i-- > 0;) {
        const std::uint8_t lo = record[i] & 0x0F, hi = record[i] >> 4;
        if (lo >= 10) break;
        digits[n++] = static_cast<char>('0' + lo);
        if (hi >= 10) break;
        digits[n++] = static_cast<char>('0' + hi);
    }
    std::string out(digits, n);
    std::reverse(out.begin(), out.end());
    return out;
}

PhoneBaseEncodeResult encodePhoneBase(const PhoneBaseTable& table, PhoneBaseImage& image) {
    for (int r = 0; r < kPhoneBaseRows; ++r) {
        const std::string& number = table.numbers[static_cast<std::size_t>(r)];
        if (!std::all_of(number.begin(), number.end(), isDigit))
            return {false, "Numer telefonu w wierszu " + std::to_string(r + 1) +
                               " zawiera znaki inne niż cyfry - operacja przerwana"};
    }
    for (int r = 0; r < kPhoneBaseRows; ++r) {
        const auto rec = encodePhoneNumber(table.numbers[static_cast<std::size_t>(r)]);
        std::copy(rec.begin(), rec.end(),
                  image.bytes.begin() + static_cast<std::ptrdiff_t>(r * kPhoneRecordSize));
    }
    putText(table.welcome, image.bytes.data() + kWelcomeOffset);
    putText(table.goodbye, image.bytes.data() + kGoodbyeOffset);
    return {};
}

void decodePhoneBase(const PhoneBaseImage& image, PhoneBaseTable& table) {
    for (int r = 0; r < kPhoneBaseRows; ++r)
        table.numbers[static_cast<std::size_t>(r)] =
            decodePhoneNumber(image.bytes.data() + static_cast<std::size_t>(r) * kPhoneRecordSize);
    table.welcome = getText(image.bytes.data() + kWelcomeOffset);
    table.goodbye = getText(image.bytes.data() + kGoodbyeOffset);
}

int countShortNumbers(const PhoneBaseTable& table) {
    int count = 0;
    for (const auto& number : table.numbers) {
        const auto digits = std::count_if(number.begin(), number.end(), isDigit);
        if (digits >= 1 && digits < kPhoneNumberMinDigits) ++count;
    }
    return count;
}

std::string shortNumbersMessage(int count) {
    return "!!! Znaleziono " + std::to_string(count) +
           " bledow w numerach telefonow - operacja przerwana !!!";
}

bool isValidReadImage(const PhoneBaseImage& image) {
    for (std::size_t i = 0; i < kPhoneNumbersSize; ++i) {
        const std::uint8_t b = image.bytes[i];
        if (b == 0xFF) continue;
        const int lo = b & 0x0F, hi = b >> 4;
        if ((lo >= 0xA && lo <= 0xE) || (hi >= 0xA && hi <= 0xE)) return false;
    }
    return true;
}

int occupiedRows(const PhoneBaseTable& table) {
    return static_cast<int>(std::count_if(table.numbers.begin(), table.numbers.end(),
                                          [](const std::string& n) { return !n.empty(); }));
}

std::string occupiedText(int count) {
    return std::to_string(count) + " z 4000";
}

bool phoneBaseRowMatches(const PhoneBaseTable& table, int row, std::string_view text) {
    if (text.empty() || row < 0 || row >= kPhoneBaseRows) return false;
    const auto i = static_cast<std::size_t>(row);
    return table.numbers[i].find(text) != std::string::npos ||
           table.names[i].find(text) != std::string::npos;
}

PhoneBaseSearch searchPhoneBase(const PhoneBaseTable& table, std::string_view text) {
    PhoneBaseSearch result;
    if (text.empty()) return result;
    for (int r = 0; r < kPhoneBaseRows; ++r) {
        if (phoneBaseRowMatches(table, r, text)) {
            if (result.count == 0) result.firstRow = r;
            ++result.count;
        }
    }
    return result;
}

std::string trimEditedCell(std::string_view utf8) {
    const std::size_t len = utf8Length(utf8);
    if (len <= 16) return std::string(utf8);
    // Skip the leading characters that do not fit.
    std::size_t skip = len - 16, i = 0;
    while (skip > 0 && i < utf8.size()) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
            ++i;
        --skip;
    }
    return std::string(utf8.substr(i));
}

} // namespace qv
