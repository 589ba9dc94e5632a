#include "config/ini_profile.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"

namespace qv {

namespace {

// Splits "key=value" into its trimmed key; nothing when the line holds no '='.
std::optional<std::string_view> keyOfLine(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const auto key = trimBlanks(line.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return key;
}

std::string valueOfLine(std::string_view line) {
    std::string_view v = trimBlanks(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v.remove_prefix(1);
        v.remove_suffix(1);
    }
    return std::string(v);
}

// A section header "[name]" (blanks allowed around it); nothing for any other line.
std::optional<std::string_view> sectionOfLine(std::string_view line) {
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

bool isBlank(std::string_view line) {
    return trimBlanks(line).empty();
}

} // namespace

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void IniProfile::Section::addLine(std::string line) {
    if (isBlank(line)) {
        trailingBlanks.push_back(std::move(line));
        return;
    }
    for (auto& blank : trailingBlanks)
        lines.push_back(std::move(blank));
    trailingBlanks.clear();
    lines.push_back(std::move(line));
    if (!hasHeader) return;
    if (auto key = keyOfLine(lines.back())) keys.try_emplace(toUpperAscii(*key), lines.size() - 1);
}

IniProfile IniProfile::fromBytes(std::string_view bytes) {
    IniProfile p;
    // The mark is never part of the first line, so a save that makes the rest valid UTF-8
    // cannot change what the first line is; without valid UTF-8 behind it the text is read as
    // Windows-1250 and the mark written back before it.
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        p.marked_ = true;
        bytes.remove_prefix(kUtf8Mark.size());
        p.utf8_ = isUtf8(bytes);
    }
    p.sections_.push_back(Section{"", false, {}, {}, {}});
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view raw = bytes.substr(start, end - start);
        std::string line = p.utf8_ ? std::string(raw) : fromCp1250(raw);
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
        if (auto name = sectionOfLine(line)) {
            p.sectionIndex_.try_emplace(toUpperAscii(*name), p.sections_.size());
            p.sections_.push_back(Section{std::move(line), true, {}, {}, {}});
        } else {
            p.sections_.back().addLine(std::move(line));
        }
    }
    return p;
}

std::string IniProfile::toBytes() const {
    std::string text;
    std::size_t size = 0;
    for (const auto& s : sections_) {
        size += s.name.size() + 2;
        for (const auto& l : s.lines)
            size += l.size() + 2;
    }
    text.reserve(size + sections_.size() * 8);
    auto addLine = [&text](const std::string& line) { text.append(line).append("\r\n"); };
    for (const auto& s : sections_) {
        if (s.hasHeader) addLine(s.name);
        for (const auto& l : s.lines)
            addLine(l);
        for (const auto& l : s.trailingBlanks)
            addLine(l);
    }
    const std::string mark = marked_ ? std::string(kUtf8Mark) : std::string();
    return mark + (utf8_ ? text : toCp1250(text));
}

std::size_t IniProfile::lineCount() const {
    std::size_t n = 0;
    for (const auto& s : sections_)
        n += s.lines.size() + s.trailingBlanks.size() + (s.hasHeader ? 1 : 0);
    return n;
}

IniProfile::Section* IniProfile::findSection(std::string_view name) {
    const auto it = sectionIndex_.find(toUpperAscii(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const IniProfile::Section* IniProfile::findSection(std::string_view name) const {
    const auto it = sectionIndex_.find(toUpperAscii(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

bool IniProfile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

std::optional<std::string> IniProfile::value(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (!s) return std::nullopt;
    const auto it = s->keys.find(toUpperAscii(key));
    if (it == s->keys.end()) return std::nullopt;
    return valueOfLine(s->lines[it->second]);
}

std::string IniProfile::readString(std::string_view section, std::string_view key,
                                   const std::string& def) const {
    return value(section, key).value_or(def);
}

int IniProfile::readInteger(std::string_view section, std::string_view key, int def) const {
    const auto v = value(section, key);
    if (!v) return def;
    return parseInt(*v).value_or(def);
}

bool IniProfile::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

double IniProfile::readFloat(std::string_view section, std::string_view key, double def) const {
    const auto v = value(section, key);
    if (!v) return def;
    return parseDecimal(*v).value_or(def);
}

void IniProfile::writeString(std::string_view section, std::string_view key,
                             const std::string& rawValue) {
    // A line break inside a value would start a new line of the file: it becomes a blank.
    std::string value = rawValue;
    for (auto& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    if (sections_.empty()) sections_.push_back(Section{"", false, {}, {}, {}});
    Section* s = findSection(section);
    if (!s) {
        // A new section goes to the end of the file, right after its last line.
        sectionIndex_.try_emplace(toUpperAscii(section), sections_.size());
        sections_.push_back(Section{"[" + std::string(section) + "]", true, {}, {}, {}});
        s = &sections_.back();
    }
    const std::string upper = toUpperAscii(key);
    if (const auto it = s->keys.find(upper); it != s->keys.end()) {
        std::string& line = s->lines[it->second];
        const std::string existingKey(*keyOfLine(line));
        line = existingKey + "=" + value;
        return;
    }
    // A new key follows the last line of its section that is not blank.
    s->lines.push_back(std::string(key) + "=" + value);
    s->keys.emplace(upper, s->lines.size() - 1);
}

void IniProfile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniProfile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniProfile::writeFloat(std::string_view section, std::string_view key, double value) {
    writeString(section, key, formatGeneral(value));
}

} // namespace qv
