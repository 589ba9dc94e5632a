#pragma once
// Small text rules shared by the whole program: dates, times and numbers as text.
#include "common/clock.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Separators that the date and time formats' "/" and ":" stand for. The program writes
// the Polish system's separators.
inline constexpr char kDateSeparator = '-';
inline constexpr char kTimeSeparator = ':';

// Formats a date/time by a pattern: YYYY, MM (month), DD, hh/HH, mm (minutes after an hour)
// or nn, ss/SS, "/" (date separator), ":" (time separator); other characters stand for
// themselves.
std::string formatDateTime(const LocalDateTime& t, std::string_view pattern);

// "YYYY-MM-DD hh:mm:ss"
std::string formatProgDate(const LocalDateTime& t);

// The number in decimal with "0" put in front up to width (a longer number is not cut).
std::string zeroPadded(long long value, int width);

// The text read as a hexadecimal number ("0x" put in front), or nothing when it is not one.
std::optional<long long> hexValue(std::string_view text);

// Decimal integer with an optional sign, surrounding blanks allowed; nothing when malformed
// or out of the 32-bit range.
std::optional<int> parseInt(std::string_view text);

// Decimal number with "." as separator (an exponent allowed); nothing when malformed.
std::optional<double> parseDecimal(std::string_view text);

// Shortest general form of a number with "." ("30.8", "-4.7", "0", "1E20").
std::string formatGeneral(double value);
// The number with exactly one decimal, "." as separator, never "-0.0".
std::string formatFixed1(double value);

std::string_view trimBlanks(std::string_view text);
std::string toUpperAscii(std::string_view text);

// UTF-8 text with each control character shown as "<XX>", its code in hexadecimal: the bytes
// below 0x20 except the line ends, DEL, and the controls U+0080..U+009F (bytes 0x80..0x9F of a
// module that Windows-1250 leaves undefined). A terminal then shows a module's control bytes
// ("<02><03>V<00><03>") instead of acting on them.
std::string visibleControls(std::string_view utf8);

} // namespace qv
