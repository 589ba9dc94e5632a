// Firmware files: the name (everything up to the first line end of the input) and the file
// (the rest). The name is parsed alone, and an upload session against the simulated module
// loads the file saved under that name.
#include "fuzz_support.hpp"
#include "link/firmware.hpp"
#include "link/link_session.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"

#include <filesystem>

using namespace qv;

namespace {
struct QuietObserver : LinkObserver {
    void logLine(const std::string&) override {}
};

// The name as a file of the scratch folder can carry it.
std::string fileNameFrom(std::string_view name) {
    std::string out(name.substr(0, 200));
    for (auto& c : out)
        if (c == '/' || c == '\0') c = '_';
    if (out.empty() || out == "." || out == "..") out = "x" + out;
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::asText(data, size);
    const auto newline = input.find('\n');
    const std::string_view name = input.substr(0, newline);
    const std::string_view contents =
        newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);

    const FirmwareFileName parsed = parseFirmwareFileName(name);
    (void)firmwareFileNameLines(parsed);
    (void)parsed.platformByte();

    const std::string dir = fuzz::scratch().path("fw/");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directory(dir, ec);
    const std::string path = dir + fileNameFrom(name);
    fuzz::writeFile(path, contents);

    const FirmwareLoad load = loadFirmwareFile(path);
    const bool fits = paddedFirmwareSize(contents.size()) <= kFirmwareMaxPadded;
    if (load.ok != fits || load.tooLarge == fits) fuzz::fail("the size check is wrong");
    if (load.ok && load.bytes.size() != contents.size()) fuzz::fail("the file was not read whole");

    static SimMemory memory = SimMemory::fresh();
    VirtualClock clock;
    SimModule module(memory);
    SimPort port(module, clock);
    QuietObserver observer;
    LinkSession session(port, clock, observer);
    session.setFirmwareFile(path);
    SessionRequest request;
    request.portName = "sim";
    request.mode = LinkMode::uploadFirmware;
    session.run(request);
    if (port.isOpen()) fuzz::fail("the port stayed open");
    // The upload is padded with zeros to whole blocks.
    std::vector<std::uint8_t> sent(contents.begin(), contents.end());
    sent.resize(paddedFirmwareSize(sent.size()), 0);
    if (session.sessionResult() == 1 && module.memory().firmware != sent)
        fuzz::fail("an upload reported as done did not deliver the file");
    return 0;
}
