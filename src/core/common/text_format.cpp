#include "common/text_format.hpp"

#include <cctype>
#include <charconv>
#include <cmath>

namespace qv {

namespace {
void append2(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + (v / 10) % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}
bool startsWith(std::string_view s, std::size_t i, std::string_view p) {
    return s.substr(i, p.size()) == p;
}
} // namespace

std::string formatDateTime(const LocalDateTime& t, std::string_view pattern) {
    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < pattern.size();) {
        if (startsWith(pattern, i, "YYYY")) {
            out += zeroPadded(t.year, 4);
            i += 4;
        } else if (startsWith(pattern, i, "DD")) {
            append2(out, t.day);
            i += 2;
        } else if (startsWith(pattern, i, "hh") || startsWith(pattern, i, "HH")) {
            append2(out, t.hour);
            afterHour = true;
            i += 2;
        } else if (startsWith(pattern, i, "nn")) {
            append2(out, t.minute);
            i += 2;
        } else if (startsWith(pattern, i, "MM") || startsWith(pattern, i, "mm")) {
            append2(out, afterHour ? t.minute : t.month);
            i += 2;
        } else if (startsWith(pattern, i, "ss") || startsWith(pattern, i, "SS")) {
            append2(out, t.second);
            i += 2;
        } else if (pattern[i] == '/') {
            out.push_back(kDateSeparator);
            ++i;
        } else if (pattern[i] == ':') {
            out.push_back(kTimeSeparator);
            ++i;
        } else {
            out.push_back(pattern[i]);
            ++i;
        }
    }
    return out;
}

std::string formatProgDate(const LocalDateTime& t) {
    return formatDateTime(t, "YYYY-MM-DD hh:mm:ss");
}

std::string zeroPadded(long long value, int width) {
    std::string s = std::to_string(value);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

std::optional<long long> hexValue(std::string_view text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    long long v = 0;
    const auto* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v, 16);
    if (r.ec != std::errc{} || r.ptr != end || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    return v;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

namespace {
// Drops a leading "+"; false when another sign follows it: "+5" and "-5" are numbers, "+-5" is
// not.
bool dropPlusSign(std::string_view& text) {
    if (text.empty() || text.front() != '+') return true;
    text.remove_prefix(1);
    return text.empty() || text.front() != '-';
}
} // namespace

std::optional<int> parseInt(std::string_view text) {
    text = trimBlanks(text);
    if (!dropPlusSign(text)) return std::nullopt;
    if (text.empty()) return std::nullopt;
    int v = 0;
    const auto* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v, 10);
    if (r.ec != std::errc{} || r.ptr != end) return std::nullopt;
    return v;
}

std::optional<double> parseDecimal(std::string_view text) {
    text = trimBlanks(text);
    if (!dropPlusSign(text)) return std::nullopt;
    if (text.empty()) return std::nullopt;
    // Only digits, one point, a sign and an exponent: no "inf", "nan" or hexadecimal floats.
    for (const char c : text) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return std::nullopt;
    }
    double v = 0;
    const auto* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v, std::chars_format::general);
    if (r.ec != std::errc{} || r.ptr != end || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string formatGeneral(double value) {
    if (value == 0) return "0";
    // std::to_chars is locale-independent: the separator is "." whatever the C locale says.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto e = s.find('E');
    std::string mantissa = s.substr(0, e);
    if (e == std::string::npos) return mantissa;
    // Exponent as "E5" / "E-5": no plus sign, no leading zeros.
    std::string exp = s.substr(e + 1);
    bool negative = false;
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) {
        negative = exp[0] == '-';
        exp.erase(0, 1);
    }
    while (exp.size() > 1 && exp[0] == '0')
        exp.erase(0, 1);
    return mantissa + "E" + (negative ? "-" : "") + exp;
}

std::string formatFixed1(double value) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
    std::string s(buf, r.ptr);
    return s == "-0.0" ? "0.0" : s;
}

std::string visibleControls(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto shown = [](unsigned code) {
        return std::string{'<', kHex[(code >> 4) & 0xF], kHex[code & 0xF], '>'};
    };
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if ((b < 0x20 && b != '\n' && b != '\r') || b == 0x7F) {
            out += shown(b);
        } else if (b == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            out += shown(static_cast<unsigned char>(utf8[++i])); // U+0080..U+009F
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

std::string toUpperAscii(std::string_view text) {
    std::string s(text);
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace qv
