// The simulated module's state file (JSON). A state that loads is saved and must load back
// the same. The state's blocks are large, so the markers @CONFIG@, @EVENTS@ and @PHONES@ in
// the input stand for the hexadecimal of a fresh module's blocks: small inputs then reach
// past the block checks.
#include "fuzz_support.hpp"
#include "sim/sim_memory.hpp"

using namespace qv;

namespace {

std::string hex(const std::uint8_t* p, std::size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

// The first few markers only: a state holds each block once.
void expand(std::string& text, std::string_view marker, const std::string& with) {
    int left = 3;
    for (auto at = text.find(marker); at != std::string::npos && left-- > 0;
         at = text.find(marker, at + with.size()))
        text.replace(at, marker.size(), with);
}

bool sameMemory(const SimMemory& a, const SimMemory& b) {
    return a.configured == b.configured && a.image == b.image && a.events == b.events &&
           a.eventPosition == b.eventPosition && a.counters == b.counters &&
           a.phoneBase == b.phoneBase && a.password == b.password && a.firmware == b.firmware;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SimMemory fresh = SimMemory::fresh();
    static const std::string config = hex(fresh.image.data(), fresh.image.size());
    static const std::string events = hex(fresh.events.data(), fresh.events.size());
    static const std::string phones = hex(fresh.phoneBase.data(), fresh.phoneBase.size());
    std::string text(fuzz::asText(data, size));
    expand(text, "@CONFIG@", config);
    expand(text, "@EVENTS@", events);
    expand(text, "@PHONES@", phones);

    const std::string path = fuzz::scratch().path("state.json");
    fuzz::writeFile(path, text);
    std::string error;
    const auto loaded = loadSimMemory(path, error);
    if (!loaded) {
        if (error.empty()) fuzz::fail("a refused state without a reason");
        return 0;
    }
    const std::string copy = fuzz::scratch().path("copy.json");
    if (!saveSimMemory(*loaded, copy, error)) fuzz::fail("a loaded state was not saved");
    const auto back = loadSimMemory(copy, error);
    if (!back || !sameMemory(*loaded, *back)) fuzz::fail("the saved state came back different");
    return 0;
}
