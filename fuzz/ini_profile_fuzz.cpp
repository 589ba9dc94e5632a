// The profile reader and writer behind every text file: any bytes parse, what is written
// parses back to the same file, and a key written can be read back.
#include "config/ini_profile.hpp"
#include "fuzz_support.hpp"

#include <map>
#include <string>
#include <vector>

using namespace qv;

namespace {

std::string upper(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

constexpr const char* kAdded = "FUZZ_ADDED";
constexpr const char* kNewSection = "FUZZ_SECTION";
constexpr const char* kNewKey = "LEVEL";

struct Key {
    std::string section;
    std::string key;
};

// The keys of the file's lines that follow a section header, as the reader sees them.
std::vector<Key> keysOf(const IniProfile& ini, std::string_view text, std::size_t most) {
    std::vector<Key> keys;
    std::string section;
    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size() && keys.size() < most) {
        auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const auto first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line[first] == '[' &&
            line.find(']', first) != std::string_view::npos) {
            const auto close = line.find(']', first);
            std::string_view name = line.substr(first + 1, close - first - 1);
            const auto b = name.find_first_not_of(" \t");
            const auto e = name.find_last_not_of(" \t");
            section = b == std::string_view::npos ? "" : std::string(name.substr(b, e - b + 1));
            inSection = true;
            continue;
        }
        const auto eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq);
        const auto b = key.find_first_not_of(" \t");
        const auto e = key.find_last_not_of(" \t");
        if (b == std::string_view::npos) continue;
        // Only plain ASCII names: the reader compares them after its own code page conversion.
        std::string k(key.substr(b, e - b + 1));
        bool plain = true;
        for (unsigned char c : k + section)
            plain = plain && c >= 0x20 && c < 0x7F;
        // The keys the target adds itself are left to it.
        const bool added =
            upper(k) == kAdded || (upper(section) == kNewSection && upper(k) == kNewKey);
        if (plain && !added && ini.value(section, k)) keys.push_back({section, k});
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    IniProfile ini = IniProfile::fromBytes(text);
    const std::string written = ini.toBytes();
    if (IniProfile::fromBytes(written).toBytes() != written) fuzz::fail("toBytes not stable");
    (void)ini.lineCount();

    // A leading UTF-8 mark is not part of the first line.
    std::string_view lines = text;
    if (lines.substr(0, 3) == "\xEF\xBB\xBF") lines.remove_prefix(3);
    const auto keys = keysOf(ini, lines, 64);
    for (const auto& k : keys) {
        (void)ini.readInteger(k.section, k.key, -7);
        (void)ini.readFloat(k.section, k.key, 0.5);
        (void)ini.readBool(k.section, k.key, true);
    }
    // Replace every key found, add one key to each of their sections and one new section.
    // Names are matched without regard to case, so a later equal name overwrites the value.
    std::map<std::pair<std::string, std::string>, int> expected;
    int n = 0;
    for (const auto& k : keys) {
        ini.writeInteger(k.section, k.key, ++n);
        ini.writeString(k.section, kAdded, "a b");
        expected[{upper(k.section), upper(k.key)}] = n;
    }
    ini.writeFloat(kNewSection, kNewKey, -4.5);
    const IniProfile again = IniProfile::fromBytes(ini.toBytes());
    for (const auto& k : keys) {
        const int got = again.readInteger(k.section, k.key, -1);
        if (got != expected[{upper(k.section), upper(k.key)}])
            fuzz::fail("written key not read back");
        if (again.readString(k.section, kAdded, "") != "a b") fuzz::fail("added key not read back");
    }
    if (again.readFloat(kNewSection, kNewKey, 0) != -4.5) fuzz::fail("new section lost");
    return 0;
}
