#pragma once
// What the simulated module keeps: configuration, events, counters, phone base, password.
#include "config/config_image.hpp"
#include "link/counters.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct SimMemory {
    bool configured = true; // status byte 1 is 'V'
    ConfigImage image;
    std::vector<std::uint8_t> events; // 8000 bytes: 200 records of 40 bytes
    std::uint8_t eventPosition = 0;   // next slot of the event ring
    CounterValues counters{};
    std::vector<std::uint8_t> phoneBase; // 32300 bytes
    std::string password;                // Windows-1250, 0 to 4 bytes; empty accepts any
    std::vector<std::uint8_t> firmware;  // the last firmware uploaded

    // A module as it leaves the factory bench: configured with the default configuration,
    // three events, zero counters, an empty phone base and no password.
    static SimMemory fresh();
    // What an erase leaves: no password, no configuration, no events.
    void erase();
    // The password a configuration image carries (its text field, up to the first zero byte).
    static std::string passwordOf(const ConfigImage& image);
};

// The state file: the module's memory as JSON (binary blocks in hexadecimal).
// Loading checks every field; on any fault it returns nothing and sets error.
std::optional<SimMemory> loadSimMemory(const std::string& path, std::string& error);
// Writes through a temporary file, so a failed write leaves the old state. Returns false and
// sets error on failure.
bool saveSimMemory(const SimMemory& memory, const std::string& path, std::string& error);

} // namespace qv
