#pragma once
// Windows-1250 <-> UTF-8. Inside the program every text is UTF-8; files, the configuration
// image and the serial line carry Windows-1250 bytes.
#include <string>
#include <string_view>

namespace qv {

// UTF-8 text to Windows-1250 bytes. A character that Windows-1250 cannot hold, and every byte
// of a malformed UTF-8 sequence, becomes '?'.
std::string toCp1250(std::string_view utf8);

// Windows-1250 bytes to UTF-8 text. Every byte maps to a character (the five code points the
// code page leaves undefined map to the C1 control of the same number), so the conversion is
// lossless and toCp1250(fromCp1250(b)) == b for any byte string b.
std::string fromCp1250(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool isUtf8(std::string_view bytes);
// Number of characters of a UTF-8 text (what a Windows-1250 field width counts).
std::size_t utf8Length(std::string_view utf8);

// The first n characters of a UTF-8 text.
std::string utf8Left(std::string_view utf8, std::size_t n);

// Windows-1250 byte for one code point, or '?' when the code page has none.
unsigned char cp1250FromCodePoint(char32_t cp);
char32_t cp1250ToCodePoint(unsigned char byte);

} // namespace qv
