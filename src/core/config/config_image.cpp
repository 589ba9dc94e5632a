#include "config/config_image.hpp"

#include "common/cp1250.hpp"

#include <cstdio>

namespace qv {

void ConfigImage::putTextField(std::string_view utf8, int offset, int width) {
    const std::string raw = toCp1250(utf8);
    for (int i = 0; i < width; ++i) {
        const auto pos = static_cast<std::size_t>(offset + i);
        if (pos >= kSize) break;
        bytes_[pos] = i < static_cast<int>(raw.size()) ? static_cast<std::uint8_t>(raw[i]) : 0;
    }
}

std::string ConfigImage::getTextField(int offset, int width) const {
    std::string raw;
    for (int i = 0; i < width && i < 255; ++i) {
        const auto pos = static_cast<std::size_t>(offset + i);
        if (pos >= kSize || bytes_[pos] == 0) break;
        raw.push_back(static_cast<char>(bytes_[pos]));
    }
    return fromCp1250(raw);
}

std::uint16_t ConfigImage::getU16(int offset) const {
    return static_cast<std::uint16_t>((bytes_[offset] << 8) | bytes_[offset + 1]);
}

void ConfigImage::putU16(int offset, std::uint16_t value) {
    bytes_[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes_[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

std::uint16_t ConfigImage::checksum() const {
    unsigned sum = 0;
    for (const auto b : bytes_)
        sum += b;
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

bool StoredCopy::unchanged(const ConfigImage& image) const {
    for (std::size_t i = 0; i < ConfigImage::kSize; ++i) {
        if (static_cast<int>(i) >= memmap::kProgDateFirst &&
            static_cast<int>(i) <= memmap::kProgDateLast)
            continue;
        if (image[i] != stored_[i]) return false;
    }
    return true;
}

std::vector<std::string> hexDumpLines(const ConfigImage& image) {
    std::vector<std::string> lines;
    lines.reserve(ConfigImage::kSize / 16 + 1);
    lines.emplace_back("*");
    for (std::size_t a = 0; a < ConfigImage::kSize; a += 16) {
        char head[16];
        std::snprintf(head, sizeof head, "%4zu ", a);
        std::string line = head;
        std::string chars;
        for (std::size_t i = a; i < a + 16; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", image[i]);
            line += hex;
            const std::uint8_t b = image[i];
            chars.push_back(b < 14 ? ' ' : b == 26 ? '.' : static_cast<char>(b));
        }
        line += fromCp1250(chars);
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace qv
