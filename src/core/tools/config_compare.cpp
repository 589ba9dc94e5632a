#include "tools/config_compare.hpp"

#include "config/config_keys.hpp"
#include "config/conversion.hpp"
#include "tools/setting_display.hpp"

#include <array>
#include <utility>

namespace qv {

namespace {

struct KeyedValue {
    ConfigKey key;
    ConfigValue value;
};

std::vector<KeyedValue> keyedValues(const Settings& s) {
    std::vector<KeyedValue> out;
    forEachConfigKey(s, [&](const ConfigKey& k, const ConfigValue& v) { out.push_back({k, v}); });
    return out;
}

// Converting the same settings onto an image of zero bytes and onto one of 0xFF bytes leaves
// exactly the bytes no setting covers apart.
std::array<bool, ConfigImage::kSize> coverage() {
    Settings s;
    ConfigImage zeros, ones;
    ones.bytes().fill(0xFF);
    const std::string date = "0000-00-00 00:00:00";
    form2tab(s, zeros, "", date);
    form2tab(s, ones, "", date);
    std::array<bool, ConfigImage::kSize> covered{};
    for (std::size_t k = 0; k < ConfigImage::kSize; ++k)
        covered[k] = zeros[k] == ones[k];
    return covered;
}

template <class Counted>
std::vector<ByteRange> differingRuns(const ConfigImage& a, const ConfigImage& b,
                                     const Counted& counted) {
    std::vector<ByteRange> out;
    for (std::size_t k = 0; k < ConfigImage::kSize; ++k) {
        if (a[k] == b[k] || !counted(k)) continue;
        if (!out.empty() && out.back().last + 1 == k)
            out.back().last = k;
        else
            out.push_back({k, k});
    }
    return out;
}

} // namespace

std::vector<SettingDifference> compareSettings(const Settings& a, const Settings& b) {
    const auto va = keyedValues(a);
    const auto vb = keyedValues(b);
    std::vector<SettingDifference> out;
    // Both walks visit the same keys in the same order.
    for (std::size_t k = 0; k < va.size() && k < vb.size(); ++k) {
        const ConfigKey& key = va[k].key;
        auto shownA = shownValue(key, va[k].value, a);
        auto shownB = shownValue(key, vb[k].value, b);
        if (!shownA || !shownB || *shownA == *shownB) continue;
        out.push_back({key.text(), settingLabel(key), std::move(*shownA), std::move(*shownB)});
    }
    return out;
}

void hideSecretValues(std::vector<SettingDifference>& differences) {
    const auto hidden = [](const std::string& value) {
        return value.empty() ? "nie ustawione" : "ustawione";
    };
    for (auto& d : differences) {
        if (d.key != "PASSWORD" && d.key != "PIN") continue;
        d.valueA = hidden(d.valueA);
        d.valueB = hidden(d.valueB);
    }
}

bool coveredBySettings(std::size_t offset) {
    static const auto covered = coverage();
    return offset < covered.size() && covered[offset];
}

std::string rangeText(const ByteRange& range) {
    const std::string first = std::to_string(range.first);
    return range.first == range.last ? first : first + ".." + std::to_string(range.last);
}

std::vector<ByteRange> differingBytes(const ConfigImage& a, const ConfigImage& b) {
    return differingRuns(a, b, [](std::size_t) { return true; });
}

std::vector<ByteRange> compareImages(const ConfigImage& a, const ConfigImage& b) {
    return differingRuns(a, b, [](std::size_t k) { return !coveredBySettings(k); });
}

std::string hexBytes(const ConfigImage& image, const ByteRange& range, std::size_t limit) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t k = range.first; k <= range.last && k < ConfigImage::kSize; ++k) {
        if (k - range.first == limit) return out + " ...";
        if (!out.empty()) out += ' ';
        out += digits[image[k] >> 4];
        out += digits[image[k] & 0x0F];
    }
    return out;
}

Comparison compareConfigurations(const Settings& a, const ConfigImage& imageA, const Settings& b,
                                 const ConfigImage& imageB) {
    return {compareSettings(a, b), compareImages(imageA, imageB)};
}

} // namespace qv
