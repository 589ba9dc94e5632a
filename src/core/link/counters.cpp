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
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value > 0xFFFFFFFFULL)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

CounterTextsCheck parseCounterTexts(const std::array<std::string, kCounterCount>& texts) {
    CounterTextsCheck out;
    for (std::size_t n = 0; n < texts.size(); ++n) {
        const auto value = parseCounterText(texts[n]);
        if (!value) {
            out.refusal = "Błędna wartość licznika wejścia " + std::to_string(n + 1) + ": \"" +
                          texts[n] +
                          "\" (dozwolone liczby od 0 do 4294967295) - liczniki nie zostały "
                          "zapisane";
            return out;
        }
        out.values[n] = *value;
    }
    return out;
}

} // namespace qv
