// QVPROG2.INI beside the program: read at start-up and by the port window, then saved into
// the same file, whose other lines stay; what was saved must read back.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/messages.hpp"
#include "fuzz_support.hpp"
#include "link/port_settings.hpp"

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static VirtualClock clock;
    const std::string& dir = fuzz::scratch().dir();
    fuzz::writeFile(dir + msg::kSettingsFileName, fuzz::asText(data, size));

    const PortSettings loaded = loadPortSettings(dir, "COM1");
    ConfigDocument doc(clock, dir);
    doc.startUp("COM1");
    if (doc.programSettings().portName != loaded.portName ||
        doc.programSettings().reverseReset != loaded.reverseReset)
        fuzz::fail("start-up and the port window read the file differently");

    const PortSettings wanted{"COM7", !loaded.reverseReset};
    if (!savePortSettings(dir, wanted).ok) fuzz::fail("saving the port settings failed");
    const PortSettings back = loadPortSettings(dir, "COM1");
    if (back.portName != wanted.portName || back.reverseReset != wanted.reverseReset)
        fuzz::fail("saved port settings did not read back");
    return 0;
}
