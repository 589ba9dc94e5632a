#pragma once
#include "config/settings.hpp"

#include <cstdint>
#include <vector>

namespace qv {

// Puts the settings to the default configuration. Only what the defaults name is set; every
// other setting keeps its current value (at program start, the window's design values).
void applyDefaults(Settings& s);

// The default description of slots 1..9 (empty for the others).
const char* defaultInputDescription(int slot);

// Fixed constraints of the rows: which controls the window never lets the user change.
namespace constraints {
inline bool ncNoSelectable(int slot) {
    return slot >= 5;
}
inline bool resetEditable(int slot) {
    return slot != 1;
}
inline bool inputTimeEditable(int slot) {
    return slot != 1;
}
inline bool returnFieldsEditable(int slot) {
    return slot != 1;
}
inline bool sirenEditable(int slot) {
    return slot != 1;
}
inline bool blockingEditable(int slot) {
    return slot >= 7;
}
inline const char* inputTimeUnit(int slot) {
    return slot == 2 ? "min." : "sec.";
}
} // namespace constraints

// The empty phone base: 64000 bytes of 255, the welcome and goodbye texts (bytes 32000 to
// 32299) zero.
inline constexpr std::size_t kPhoneBaseBufferSize = 64000;
std::vector<std::uint8_t> emptyPhoneBaseBuffer();

} // namespace qv
