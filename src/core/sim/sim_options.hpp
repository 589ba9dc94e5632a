#pragma once
// The options in a simulated port's name ("sim:state=m.json,late=200", "sim-modem:pin=1234"):
// comma-separated, each a key alone or key=value.
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

namespace qv {

struct SimOption {
    std::string_view text; // the whole option, for a message
    std::string_view key;
    std::string_view value; // empty without '='
    bool hasValue = false;
};

inline std::vector<SimOption> splitSimOptions(std::string_view options) {
    std::vector<SimOption> out;
    while (!options.empty()) {
        const auto comma = options.find(',');
        SimOption o;
        o.text = options.substr(0, comma);
        options = comma == std::string_view::npos ? std::string_view{} : options.substr(comma + 1);
        const auto eq = o.text.find('=');
        o.key = o.text.substr(0, eq);
        o.hasValue = eq != std::string_view::npos;
        if (o.hasValue) o.value = o.text.substr(eq + 1);
        out.push_back(o);
    }
    return out;
}

// A whole number of at least 1; nothing for any other text.
inline std::optional<int> positiveNumber(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || v < 1) return std::nullopt;
    return v;
}

} // namespace qv
