#pragma once
// What differs between two configurations: setting by setting, and in the image bytes that no
// setting covers. Both functions are pure; a table model can show their rows as they come.
#include "config/config_image.hpp"
#include "config/settings.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace qv {

struct SettingDifference {
    std::string key;    // the configuration file's key: "ALARM_PHONE.5", "OUTPUT_TYPE2"
    std::string label;  // "Wejście 1(K) – Nr telefonu (alarm)", or the control's caption
    std::string valueA; // as the window shows it: a list item's text, "tak"/"nie" for a flag
    std::string valueB;
    bool operator==(const SettingDifference&) const = default;
};

// One entry per setting that differs, in the order the configuration file writes its keys.
// A radio pair is one setting, reported under its first key with the chosen button; slot 1's
// return fields, which the module never receives from them, and the descriptions, which no
// module holds, are not compared.
std::vector<SettingDifference> compareSettings(const Settings& a, const Settings& b);

// For listings that may be read over a shoulder or kept in a log: the module's password and
// the SIM PIN show only whether they are set ("ustawione", "nie ustawione"), never their value.
void hideSecretValues(std::vector<SettingDifference>& differences);

// Offsets first..last (inclusive) of the image.
struct ByteRange {
    std::size_t first = 0;
    std::size_t last = 0;
    bool operator==(const ByteRange&) const = default;
};

// "156" for one byte, "200..203" for a run.
std::string rangeText(const ByteRange& range);

// The runs of adjacent bytes that differ, over the whole image.
std::vector<ByteRange> differingBytes(const ConfigImage& a, const ConfigImage& b);

// True for an image byte that the conversion writes from the settings, including the
// programming date and the file name it stamps into every image.
bool coveredBySettings(std::size_t offset);

// The runs of adjacent bytes that differ among those no setting covers, in offset order: the
// differences compareSettings cannot show. The programming date and the file name are
// stamps, not configuration, and are left out.
std::vector<ByteRange> compareImages(const ConfigImage& a, const ConfigImage& b);

// The bytes of a range as hexadecimal pairs ("0A FF 13"); after limit bytes, " ...".
std::string hexBytes(const ConfigImage& image, const ByteRange& range,
                     std::size_t limit = ConfigImage::kSize);

// Everything that differs between two configurations.
struct Comparison {
    std::vector<SettingDifference> settings;
    std::vector<ByteRange> ranges; // image bytes no setting covers
    bool same() const { return settings.empty() && ranges.empty(); }
};

// Compares configuration a (its settings, and the image they give) with b (its settings, and
// the image it holds). Neither is changed: a window compares what it shows without stamping its
// own image.
Comparison compareConfigurations(const Settings& a, const ConfigImage& imageA, const Settings& b,
                                 const ConfigImage& imageB);

} // namespace qv
