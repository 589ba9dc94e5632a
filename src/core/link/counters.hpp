#pragma once
// The five input counters: 4 bytes each on the wire, least significant first, input 1 first.
#include "link/link_types.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

using CounterValues = std::array<std::uint32_t, kCounterCount>;
using CounterBytes = std::array<std::uint8_t, 4 * kCounterCount>;

CounterBytes encodeCounters(const CounterValues& values);
CounterValues decodeCounters(const CounterBytes& bytes);

// A counter text as the window shows it after a read: a decimal number from 0 to 4294967295,
// digits only (blanks around it are allowed). Anything else (a sign, a fraction, a larger
// number, an empty text) gives nothing: whatever a read showed can be written back unchanged,
// and nothing else can.
std::optional<std::uint32_t> parseCounterText(std::string_view text);

// The five texts of a counter write (input 1 first). A text that is not a counter refuses the
// whole write: refusal then names the first such input and nothing may be sent.
struct CounterTextsCheck {
    CounterValues values{};
    std::string refusal; // empty when every text is a counter
};
CounterTextsCheck parseCounterTexts(const std::array<std::string, kCounterCount>& texts);

} // namespace qv
