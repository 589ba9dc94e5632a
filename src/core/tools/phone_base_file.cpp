#include "tools/phone_base_file.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"

#include <fstream>
#include <optional>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace qv {

namespace {

// Keys and section names compare without regard to case, as in every Windows INI file.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::nullopt;
    f.seekg(0, std::ios::end);
    const auto size = f.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > kPhoneBaseFileMaxSize) return std::nullopt;
    f.seekg(0);
    std::string data(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !f.read(data.data(), size)) return std::nullopt;
    return data;
}

std::string upperKey(std::string_view key) {
    return toUpperAscii(key);
}

} // namespace

PhoneBaseFileResult savePhoneBaseFile(const std::string& path, const PhoneBaseTable& table) {
    // Keep what an existing file holds outside our section.
    std::string before, after;
    if (auto existing = readWholeFile(path)) {
        bool inOurs = false, seenOurs = false;
        for (auto line : splitLines(*existing)) {
            if (auto name = sectionName(line)) {
                inOurs = sameName(*name, kPhoneBaseSection);
                if (inOurs) seenOurs = true;
            }
            if (inOurs) continue;
            (seenOurs ? after : before).append(line).append("\r\n");
        }
    }

    std::string out = before;
    out.reserve(before.size() + after.size() + 200000);
    out += "[";
    out += kPhoneBaseSection;
    out += "]\r\n";
    for (int n = 1; n <= kPhoneBaseRows; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const std::string index = std::to_string(n);
        out += "NUMBER_" + index + "=" + toCp1250(table.numbers[i]) + "\r\n";
        out += "NAME_" + index + "=" + toCp1250(table.names[i]) + "\r\n";
    }
    out += "WELCOME_STRING=" + toCp1250(table.welcome) + "\r\n";
    out += "GOOBYE_STRING=" + toCp1250(table.goodbye) + "\r\n";
    out += after;

    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f || !f.write(out.data(), static_cast<std::streamsize>(out.size())) || !f.flush())
        return {false, std::string(kPhoneBaseSaveErrorMessage)};
    return {true, std::string(kPhoneBaseSavedMessage)};
}

PhoneBaseFileResult loadPhoneBaseFile(const std::string& path, PhoneBaseTable& table) {
    const auto data = readWholeFile(path);
    if (!data) return {false, std::string(kPhoneBaseLoadErrorMessage)};

    // The first occurrence of a key in the first [ADDITIONAL_PHONE] section counts.
    std::unordered_map<std::string, std::string_view> values;
    values.reserve(8192);
    bool inOurs = false, done = false;
    for (auto line : splitLines(*data)) {
        if (auto name = sectionName(line)) {
            if (inOurs) done = true;
            inOurs = !done && sameName(*name, kPhoneBaseSection);
            continue;
        }
        if (!inOurs) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const auto key = trimmed(line.substr(0, eq));
        if (key.empty() || key.front() == ';') continue;
        auto value = trimmed(line.substr(eq + 1));
        // A value written between a pair of quotes is read without them.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        values.emplace(upperKey(key), value);
    }
    auto get = [&](const std::string& key) {
        const auto it = values.find(key);
        return it == values.end() ? std::string() : fromCp1250(it->second);
    };

    PhoneBaseTable loaded;
    for (int n = 1; n <= kPhoneBaseRows; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const std::string index = std::to_string(n);
        loaded.numbers[i] = get("NUMBER_" + index);
        loaded.names[i] = get("NAME_" + index);
    }
    loaded.welcome = utf8Left(get("WELCOME_STRING"), kPhoneBaseTextMax);
    loaded.goodbye = utf8Left(get("GOOBYE_STRING"), kPhoneBaseTextMax);
    table = std::move(loaded);
    return {true, std::string(kPhoneBaseLoadedMessage)};
}

} // namespace qv
