#pragma once
#include "config/memmap.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The 5120-byte configuration image: an exact copy of the module's configuration memory.
class ConfigImage {
  public:
    static constexpr std::size_t kSize = memmap::kImageSize;
    using Bytes = std::array<std::uint8_t, kSize>;

    ConfigImage() { bytes_.fill(0); }

    std::uint8_t& operator[](std::size_t offset) { return bytes_[offset]; }
    std::uint8_t operator[](std::size_t offset) const { return bytes_[offset]; }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return kSize; }
    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    // Writes a text field: the text in Windows-1250, cut to width, zero-padded to width.
    void putTextField(std::string_view utf8, int offset, int width);
    // Reads a text field: the bytes before the first zero byte (at most width), as UTF-8.
    std::string getTextField(int offset, int width) const;

    // Big-endian 16-bit numbers.
    std::uint16_t getU16(int offset) const;
    void putU16(int offset, std::uint16_t value);

    // The 16-bit sum of all image bytes (the binary file's checksum).
    std::uint16_t checksum() const;

    bool operator==(const ConfigImage&) const = default;

  private:
    Bytes bytes_;
};

// The image as it was when the configuration was last loaded, created or saved.
class StoredCopy {
  public:
    // storeEepTable: copies the whole image.
    void store(const ConfigImage& image) { stored_ = image; }
    // eepTableUnchanged: true when every byte equals the stored one, oPROG_DATE excepted.
    bool unchanged(const ConfigImage& image) const;
    const ConfigImage& image() const { return stored_; }

  private:
    ConfigImage stored_;
};

// The hex dump of the image: a "*" line, then 320 rows of 16 bytes
// ("   0 41 42 ... AB...").
std::vector<std::string> hexDumpLines(const ConfigImage& image);

} // namespace qv
