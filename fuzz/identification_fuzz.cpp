// The bootloader's answer to "R": the filter, the split into fields and numbers, the log
// lines and the compatibility checks, alone and in a whole session with a simulated module
// that gives this answer.
#include "fuzz_support.hpp"
#include "link/identification.hpp"
#include "link/link_session.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"

using namespace qv;

namespace {
struct QuietObserver : LinkObserver {
    void logLine(const std::string&) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(fuzz::asText(data, size));
    const std::string filtered = filterIdentification(raw);
    const DeviceIdentity id = parseIdentification(filtered);
    (void)identificationLogLines(id);
    (void)bootloaderIsChecked(filtered);
    (void)platformIsSupported(id.platform);
    if (id.firmwareVersion < -1 || id.firmwareVersion > 99 || id.subVersion < -1 ||
        id.subVersion > 99 || id.platform < -1 || id.platform > 99)
        fuzz::fail("a two-digit number out of range");

    static SimMemory memory = SimMemory::fresh();
    SimOptions options;
    options.identification = raw;
    VirtualClock clock;
    SimModule module(memory, options);
    SimPort port(module, clock);
    QuietObserver observer;
    LinkSession session(port, clock, observer);
    SessionRequest request;
    request.portName = "sim";
    request.mode = size % 2 ? LinkMode::identify : LinkMode::readCounters;
    session.run(request);
    if (port.isOpen()) fuzz::fail("the port stayed open");
    // A short answer arrives whole within the session's wait, so it reads as it parses.
    const DeviceIdentity& got = session.identity();
    if (raw.size() < 1000 && !filtered.empty() &&
        (got.modelString != id.modelString || got.serialNumber != id.serialNumber ||
         got.platform != id.platform || got.firmwareVersion != id.firmwareVersion))
        fuzz::fail("the session read the answer differently");
    return 0;
}
