#include "link/counters.hpp"

#include "common/text_format.hpp"

#include <charconv>

namespace qv {

CounterBytes encodeCounters(const CounterValues& values) {
    CounterBytes out{};
    for (std::size_t n = 0; n < values.size(); ++n)
        for (std::size_t k = 0; k < 4; ++k)
            out[4 * n + k] = static_cast<std::uint8_t>(values[n] >> (8 * k));
    return out;
}

CounterValues decodeCounters(const CounterBytes& bytes) {
    CounterValues out{};
    for (std::size_t n = 0; n < out.size(); ++n)
        for (std::size_t k = 0; k < 4; ++k)
            out[n] |= static_cast<std::uint32_t>(bytes[4 * n + k]) << (8 * k);
    return out;
}

std::optional<std::uint32_t> parseCounterText(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return std::nullopt;
    const bool negative = text.front() == '-';
    if (negative || text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (negative) {
        if (magnitude > 2147483648ULL) return std::nullopt;
        return static_cast<std::uint32_t>(0x100000000ULL - magnitude); // two's complement
    }
    if (magnitude > 0xFFFFFFFFULL) return std::nullopt;
    return static_cast<std::uint32_t>(magnitude);
}

CounterTextsCheck parseCounterTexts(const std::array<std::string, kCounterCount>& texts) {
    CounterTextsCheck out;
    for (std::size_t n = 0; n < texts.size(); ++n) {
        const auto value = parseCounterText(texts[n]);
        if (!value) {
            out.refusal = "Błędna wartość licznika wejścia " + std::to_string(n + 1) + ": \"" +
                          texts[n] + "\" - liczniki nie zostały zapisane";
            return out;
        }
        out.values[n] = *value;
    }
    return out;
}

} // namespace qv
