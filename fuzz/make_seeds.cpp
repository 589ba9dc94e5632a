// Writes the seed corpus of every fuzz target from the core's own writers: a default
// configuration saved as .qvx and .bCFG, the port settings file, a phone base file, the
// simulated module's identification, stream, events and state file, a configuration archive.
// Usage: fuzz_make_seeds CORPUS_DIR
#include "archive/archive_text.hpp"
#include "archive/config_archive.hpp"
#include "common/clock.hpp"
#include "common/file_io.hpp"
#include "config/config_document.hpp"
#include "config/config_file.hpp"
#include "link/identification.hpp"
#include "link/port_settings.hpp"
#include "monitor/qvmon_file.hpp"
#include "sim/monitor_stream.hpp"
#include "sim/sim_memory.hpp"
#include "tools/phone_base_file.hpp"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

using namespace qv;
namespace fs = std::filesystem;

namespace {

fs::path root;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(root / target);
    std::ofstream(root / target / name, std::ios::binary) << bytes;
}

std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first `lines` lines of a text and its last `tail` lines.
std::string cutLines(const std::string& text, std::size_t lines, std::size_t tail) {
    std::vector<std::string> all;
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find("\r\n", start);
        all.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    std::string out;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (i < lines || i + tail >= all.size()) out += all[i] + "\r\n";
    return out;
}

std::string hex(const std::vector<std::uint8_t>& b) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (auto c : b) {
        s.push_back(digits[c >> 4]);
        s.push_back(digits[c & 15]);
    }
    return s;
}

void replace(std::string& text, const std::string& what, const std::string& with) {
    const auto at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_make_seeds CORPUS_DIR\n";
        return 2;
    }
    root = argv[1];
    const fs::path work = fs::temp_directory_path() / "qvprog-seeds";
    fs::remove_all(work);
    fs::create_directories(work);
    const std::string dir = work.string() + "/";
    VirtualClock clock;

    // Configuration files: the defaults, and a memo of three lines.
    ConfigDocument doc(clock, dir);
    doc.startUp("COM1");
    doc.saveFile(dir + "default.qvx");
    seed("qvx_file", "default.qvx", read(dir + "default.qvx"));
    doc.settings().description = {"Obiekt: magazyn", "  wejście 2 = czujka  ", "\"cytat\""};
    doc.settings().pin = "1234";
    doc.saveFile(dir + "memo.qvx");
    const std::string memo = read(dir + "memo.qvx");
    seed("qvx_file", "memo.qvx", memo);
    seed("qvx_file", "pin_only.qvx", "[CONFIG]\r\nPIN=1111\r\n");
    seed("ini_profile", "qvx_head.ini", cutLines(memo, 20, 6));
    doc.saveFile(dir + "default.bCFG");
    const std::string bcfg = read(dir + "default.bCFG");
    seed("bcfg_file", "default.bCFG", bcfg);

    // A binary file with the event buffer of a fresh module.
    const SimMemory fresh = SimMemory::fresh();
    std::string withEvents = bcfg.substr(0, ConfigImage::kSize);
    withEvents.append(fresh.events.begin(), fresh.events.end());
    unsigned sum = 0;
    for (unsigned char c : withEvents)
        sum += c;
    withEvents +=
        std::string(1, '\0') + static_cast<char>((sum >> 8) & 0xFF) + static_cast<char>(sum & 0xFF);
    seed("bcfg_file", "with_events.bCFG", withEvents);

    // QVPROG2.INI as the port window saves it, alone and inside a foreign file.
    savePortSettings(dir, {"/dev/ttyUSB0", true});
    const std::string ini = read(dir + "QVPROG2.INI");
    seed("port_settings", "saved.ini", ini);
    seed("port_settings", "foreign.ini",
         "; notatka\r\n[OKNO]\r\nx=1\r\n\r\n[settings]\r\n PORT = \"COM3\" "
         "\r\nreverse_reset=+1\r\n");
    seed("ini_profile", "settings.ini", ini);

    // A phone base file: the writer's first rows and its two texts.
    auto table = std::make_unique<PhoneBaseTable>();
    table->numbers[0] = "48600100200";
    table->names[0] = "Dyżurny";
    table->numbers[1] = "600300400";
    table->welcome = "Witaj";
    table->goodbye = "Żegnaj";
    savePhoneBaseFile(dir + "base.PHBINI", *table);
    const std::string base = cutLines(read(dir + "base.PHBINI"), 7, 2);
    seed("phone_base_file", "base.PHBINI", base);
    seed("phone_base_file", "with_other.PHBINI", "[INNE]\r\nA=1\r\n" + base);
    seed("ini_profile", "base.PHBINI", base);

    // Identification answers.
    seed("identification", "default", "X/B/NAME_0503/2392123");
    seed("identification", "old_loader", "\x02X/A/QV_0402/1000123\r\n");
    seed("identification", "counters", "Q/C/SOLVO_0603/2395001");
    seed("identification", "short", "X/B");

    // Firmware: a name and a small file.
    std::string firmware = "QV_050392.bin\n";
    for (int i = 0; i < 300; ++i)
        firmware.push_back(static_cast<char>(i * 7));
    seed("firmware", "qv_050392", firmware);
    seed("firmware", "windows_path", "C:\\fw\\SOLVO_060300.bin\n\x01\x02\x03");

    // The monitor stream of a module that powers up, and of one stopped on a wrong PIN.
    sim::MonitorStream stream;
    seed("monitor_stream", "power_up", stream.advanceTo(std::chrono::seconds(50)));
    sim::MonitorStream::Options badPin;
    badPin.resetCause = 0x03;
    seed("monitor_stream", "bad_pin",
         sim::MonitorStream(badPin).advanceTo(std::chrono::seconds(3)));

    // A monitor recording of 12 seconds of the mains failing, whole and cut short.
    {
        sim::MonitorStream::Options o;
        o.mainsLossSecond = 5;
        sim::MonitorStream rec(o);
        std::string file = qvmonHeaderBytes({"QV PROG 2.2.24", "sim", {2026, 12, 9, 7, 30, 0, 0}});
        for (int ms = 250; ms <= 12000; ms += 250)
            if (const auto bytes = rec.advanceTo(std::chrono::milliseconds(ms)); !bytes.empty())
                file += qvmonBatchBytes(static_cast<std::uint32_t>(ms), bytes);
        seed("qvmon", "mains_loss", file);
        seed("qvmon", "cut_short", file.substr(0, file.size() / 2));
    }

    // The event buffer of a fresh module, with its firmware and serial number.
    std::string history = {0, static_cast<char>(fresh.eventPosition)};
    history.append(fresh.events.begin(), fresh.events.end());
    history += "0503\n2392123";
    seed("event_history", "fresh", history);
    seed("event_history", "short", std::string("\x00\xC8", 2) + history.substr(2, 400));

    // The state file, with the large blocks as markers.
    std::string error;
    saveSimMemory(fresh, dir + "state.json", error);
    std::string state = read(dir + "state.json");
    replace(
        state,
        hex(std::vector<std::uint8_t>(fresh.image.data(), fresh.image.data() + fresh.image.size())),
        "@CONFIG@");
    replace(state, hex(fresh.events), "@EVENTS@");
    replace(state, hex(fresh.phoneBase), "@PHONES@");
    seed("sim_state", "fresh.json", state);

    // An archive with two entries of one module (closed, so its log is in the file).
    {
        NewArchiveEntry entry;
        entry.image = fresh.image;
        entry.identity = parseIdentification("X/B/NAME_0503/2392123");
        entry.fileName = "a.qvx";
        entry.note = "Łódź";
        storeInArchive(dir + "archive.sqlite", entry);
        entry.state = std::string(kStateWritten);
        entry.readBack = ReadBack::same;
        storeInArchive(dir + "archive.sqlite", entry);
    }
    seed("archive_file", "two_entries.sqlite", read(dir + "archive.sqlite"));
    seed("archive_text", "site", "Magazyn Łódź ZAŻÓŁĆ +48 600-100-200");
    seed("archive_text", "default.bCFG",
         std::string(fresh.image.data(), fresh.image.data() + fresh.image.size()));

    fs::remove_all(work);
    return 0;
}
