// Every link mode against every fault the simulated module and its port can show. Each cell
// checks the log, the result, that the module was restarted at the end (or, after a port
// error, left alone), that the port was closed, and that what the caller holds (settings,
// image, stored copy, event buffer, phone base, counters) is untouched by a failure and
// replaced only by the data the module sent on success. The configuration sessions run again
// with the archive after them, working or failing, which never changes what the session did.
#include "support/sim_session.hpp"

#include "archive/archive_session.hpp"
#include "archive/archive_text.hpp"
#include "archive/config_archive.hpp"

#include "config/config_document.hpp"
#include "config/memmap.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

namespace qv::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

enum class Fault {
    none,
    silent,
    zeros,
    noStx,
    noise,
    noEtx,
    deaf,
    wrongPlatform,
    wrongSubVersion,
    wrongPassword,
    emptyModule,
    lateByte,
    wrongEcho,
    stopMidTransfer,
    portOpen,
    portRts,
    portWrite,
    portRead,
    portVanishes,
};

const std::map<Fault, std::string> kFaultNames = {
    {Fault::none, "none"},
    {Fault::silent, "silent"},
    {Fault::zeros, "zeros"},
    {Fault::noStx, "noStx"},
    {Fault::noise, "noise"},
    {Fault::noEtx, "noEtx"},
    {Fault::deaf, "deaf"},
    {Fault::wrongPlatform, "wrongPlatform"},
    {Fault::wrongSubVersion, "wrongSubVersion"},
    {Fault::wrongPassword, "wrongPassword"},
    {Fault::emptyModule, "emptyModule"},
    {Fault::lateByte, "lateByte"},
    {Fault::wrongEcho, "wrongEcho"},
    {Fault::stopMidTransfer, "stopMidTransfer"},
    {Fault::portOpen, "portOpen"},
    {Fault::portRts, "portRts"},
    {Fault::portWrite, "portWrite"},
    {Fault::portRead, "portRead"},
    {Fault::portVanishes, "portVanishes"},
};

const std::map<LinkMode, std::string> kModeNames = {
    {LinkMode::identify, "identify"},           {LinkMode::uploadFirmware, "uploadFirmware"},
    {LinkMode::writeConfig, "writeConfig"},     {LinkMode::readConfig, "readConfig"},
    {LinkMode::erasePassword, "erasePassword"}, {LinkMode::readEvents, "readEvents"},
    {LinkMode::readCounters, "readCounters"},   {LinkMode::writeCounters, "writeCounters"},
    {LinkMode::readPhoneBase, "readPhoneBase"}, {LinkMode::writePhoneBase, "writePhoneBase"},
};

bool isBlock(LinkMode m) {
    return blockLength(m) > 0;
}
bool isBlockWrite(LinkMode m) {
    return m == LinkMode::writeConfig || m == LinkMode::writePhoneBase;
}
bool isCounters(LinkMode m) {
    return m == LinkMode::readCounters || m == LinkMode::writeCounters;
}
bool startsApplication(LinkMode m) {
    return m != LinkMode::identify && m != LinkMode::uploadFirmware;
}
bool isPortFault(Fault f) {
    return f >= Fault::portOpen;
}

// Cells where the fault cannot show (a wrong echo on a read, a password on the counters...)
// are left out.
bool meaningful(LinkMode m, Fault f) {
    switch (f) {
    case Fault::noEtx:
    case Fault::deaf:
    case Fault::wrongSubVersion: // only the application modes warn or refuse
        return startsApplication(m);
    case Fault::wrongPassword:
        return isBlock(m);
    case Fault::emptyModule:
        return isBlock(m) || m == LinkMode::erasePassword;
    case Fault::lateByte:
    case Fault::stopMidTransfer:
        return isBlock(m) || m == LinkMode::uploadFirmware;
    case Fault::wrongEcho:
        return isBlockWrite(m) || m == LinkMode::uploadFirmware;
    default:
        return true;
    }
}

struct Cell {
    LinkMode mode;
    Fault fault;
};

std::vector<Cell> meaningfulCells() {
    std::vector<Cell> cells;
    for (const auto& [mode, modeName] : kModeNames)
        for (const auto& [fault, faultName] : kFaultNames)
            if (meaningful(mode, fault)) cells.push_back({mode, fault});
    return cells;
}

constexpr int kFaultByte = 100; // the block byte a late, wrong or missing answer belongs to
constexpr std::size_t kFirmwareSize = 600;
const std::string kModuleDate = "2024-11-12 13:14:15";
const std::string kModuleFileName = "magazyn.qvx";
const CounterValues kModuleCounters = {11, 22, 33, 44, 55};
const std::array<std::string, kCounterCount> kCounterEdits = {"7", "8", "9", "10", "11"};

std::vector<std::uint8_t> pattern(std::size_t size, int mul, int add) {
    std::vector<std::uint8_t> v(size);
    for (std::size_t k = 0; k < size; ++k)
        v[k] = static_cast<std::uint8_t>(k * mul + add);
    return v;
}

std::string firmwareFile() {
    // One folder per process: ctest runs the cells side by side.
    static const fs::path dir =
        fs::temp_directory_path() / ("qvprog_fault_matrix_" + std::to_string(::getpid()));
    return (dir / "modul_050392.bin").string();
}

// What the caller holds: the main window's settings, image and stored copy, and the buffers
// the session sends from or reads into.
struct Held {
    Settings settings;
    ConfigImage image;
    ConfigImage stored;
    ConfigImage sessionImage;
    std::vector<std::uint8_t> events;
    std::vector<std::uint8_t> phoneBase;
    CounterValues counters{};
    bool operator==(const Held&) const = default;
};

SimOptions optionsFor(LinkMode mode, Fault fault) {
    // Sub-version 3 firmware reads counters with "w", other firmware the phone base.
    const bool phoneBase = mode == LinkMode::readPhoneBase || mode == LinkMode::writePhoneBase;
    std::string version = phoneBase ? "0504" : "0503";
    if (fault == Fault::wrongSubVersion) version = "0501";
    const std::string serial = fault == Fault::wrongPlatform ? "2377123" : "2392123";
    SimOptions o;
    o.identification = "X/B/NAME_" + version + "/" + serial;
    SimFaults& f = o.faults;
    f.silent = fault == Fault::silent;
    f.zeros = fault == Fault::zeros;
    f.noStx = fault == Fault::noStx;
    f.noiseBeforeStx = fault == Fault::noise;
    f.noEtx = fault == Fault::noEtx;
    f.deaf = fault == Fault::deaf;
    f.lateByte = fault == Fault::lateByte ? kFaultByte : 0;
    f.badEchoByte = fault == Fault::wrongEcho ? kFaultByte : 0;
    f.stopAtByte = fault == Fault::stopMidTransfer ? kFaultByte : 0;
    return o;
}

// One cell's module, session and caller, set up as the callers set up their sessions.
struct Bench {
    Bench(LinkMode mode, Fault fault) : s(optionsFor(mode, fault)) {
        doc.startUp("sim");
        SimMemory& m = s.module.memory();
        m.configured = fault != Fault::emptyModule;
        m.password = fault == Fault::wrongPassword ? "1234" : "";
        m.image = doc.image();
        m.image.putTextField(kModuleDate, memmap::oPROG_DATE, memmap::wPROG_DATE);
        m.image.putTextField(kModuleFileName, memmap::oFILE_NAME, memmap::wFILE_NAME);
        m.image[5119] = 0xA5; // past every field
        m.events = pattern(kEventBufferLength, 7, 3);
        m.phoneBase = pattern(kPhoneBaseLength, 5, 2);
        m.counters = kModuleCounters;

        request.mode = mode;
        request.portName = "sim";
        request.password = fault == Fault::wrongPassword ? "9999" : "";
        request.counterTexts = kCounterEdits;
        if (mode == LinkMode::writeConfig) doc.form2tab();
        s.session.configImage() = doc.image();
        s.session.phoneBase() = pattern(kPhoneBaseLength, 3, 1);
        s.session.setFirmwareFile(firmwareFile());
    }

    Held held() const {
        return {doc.settings(),          doc.image(),
                doc.storedImage(),       s.session.configImage(),
                s.session.eventBuffer(), s.session.phoneBase(),
                s.session.counters()};
    }

    // Runs the session; on success the caller takes a read configuration over, as the main
    // window does.
    int run() {
        const int result = s.run(request);
        if (result > 0 && request.mode == LinkMode::readConfig)
            doc.takeReadImage(s.session.configImage());
        return result;
    }

    SimSession s;
    ConfigDocument doc{s.clock, "/nonexistent/qvprog-fault-matrix/"};
    SessionRequest request;
};

// Bytes a fault-free session of the mode writes and reads, to place the port faults.
struct Traffic {
    std::size_t written = 0;
    std::size_t read = 0;
};

Traffic trafficOf(LinkMode mode) {
    static std::map<LinkMode, Traffic> known;
    if (const auto it = known.find(mode); it != known.end()) return it->second;
    Bench b(mode, Fault::none);
    EXPECT_EQ(b.run(), 1);
    const Traffic t{b.s.module.receivedLog().size(), b.s.port.bytesRead()};
    known[mode] = t;
    return t;
}

// The port faults strike inside the mode's exchange: the last byte written, the last byte read
// (so a block read has nearly all its bytes), or the adapter unplugged halfway through.
SimPortFaults portFaultsFor(LinkMode mode, Fault fault) {
    SimPortFaults p;
    switch (fault) {
    case Fault::portOpen:
        p.openFails = true;
        break;
    case Fault::portRts:
        p.rtsFails = true;
        break;
    case Fault::portWrite:
        p.writeFailsAtByte = static_cast<int>(trafficOf(mode).written);
        break;
    case Fault::portRead:
        p.readFailsAtByte = static_cast<int>(trafficOf(mode).read);
        break;
    case Fault::portVanishes:
        p.vanishesAtByte = static_cast<int>(trafficOf(mode).written / 2 + 1);
        break;
    default:
        break;
    }
    return p;
}

const char* portReason(Fault f) {
    switch (f) {
    case Fault::portOpen:
        return "No such file or directory";
    case Fault::portRts:
        return "Inappropriate ioctl for device";
    case Fault::portVanishes:
        return "No such device";
    default:
        return "Input/output error";
    }
}

Lines blockSuccessTail(LinkMode m) {
    const std::string n = std::to_string(blockLength(m));
    if (isBlockWrite(m)) return {"Zapisano poprawnie " + n + "bajtów"};
    if (m != LinkMode::readConfig) return {"Odczytano " + n + "bajtów"};
    return {"Odczytano 5120bajtów", "Data programowania urządzenia: " + kModuleDate,
            "Nazwa pliku konfiguracji: " + kModuleFileName};
}

Lines successTail(LinkMode m) {
    switch (m) {
    case LinkMode::identify:
        return {"Koniec."};
    case LinkMode::uploadFirmware:
        return {"Aktualizacja zakończona pomyślnie!"};
    case LinkMode::erasePassword:
        return {"Hasło zostało skasowane..."};
    case LinkMode::readCounters: {
        Lines l{"Liczniki wejsc:"};
        for (std::size_t n = 0; n < kModuleCounters.size(); ++n)
            l.push_back("Wejscie " + std::to_string(n + 1) + " : " +
                        std::to_string(kModuleCounters[n]));
        return l;
    }
    case LinkMode::writeCounters:
        return {"Zapisane - odczytaj je jeszcze raz w celu sprawdzenia"};
    default:
        return blockSuccessTail(m);
    }
}

std::string bootloaderExitError(LinkMode m) {
    return isBlock(m) ? "Błąd wyjścia z bootloadera!" : "Błąd wyjścia z bootloadera!!!";
}

struct Outcome {
    int result = -1;
    Lines tail;      // the last log lines
    Lines somewhere; // lines that appear before them
    long tricks = 0; // "Trick @ " lines
    int resets = 3;  // reset pulses: first, second and final
    bool restartedAtEnd = true;
};

Outcome expectedOutcome(LinkMode m, Fault f, const Bench& b) {
    Outcome o;
    const auto failAs = [&](Lines tail) {
        o.result = -1;
        o.tail = std::move(tail);
    };
    o.result = 1;
    o.tail = successTail(m);
    switch (f) {
    case Fault::none:
    case Fault::noise: // discarded before STX
        break;
    case Fault::silent:
    case Fault::zeros:
        failAs({"Brak odpowiedzi po restarcie !"});
        o.resets = 2;
        break;
    case Fault::noStx:
        failAs({"Błędna odpowiedź po restarcie (STX) !"});
        break;
    case Fault::noEtx:
        failAs({bootloaderExitError(m)});
        break;
    case Fault::deaf:
        if (isBlock(m))
            failAs({"Start", "Hasło niepoprawne."});
        else if (m == LinkMode::erasePassword)
            failAs({"Błąd kasowania hasła z urządzenia!!!"});
        else if (m == LinkMode::readCounters)
            failAs({"Start", "Błąd odczytu liczników!!!"});
        else
            failAs({"Start", "Błąd zapisu liczników!!!"});
        break;
    case Fault::wrongPlatform:
        if (m == LinkMode::uploadFirmware)
            failAs({"Błąd: niezgodność wersji sprzętu!!!",
                    "Błąd: platforma docelowa firmwaru nie zgadza sie z podlaczonym urzadzeniem!!!",
                    "92<>77"});
        else
            failAs({"Platforma        : 77",
                    "SUBEWRSJA        : " + std::to_string(b.s.module.subVersion()),
                    "FirmWare         : 5", "Błąd: niezgodność wersji sprzętu!!!"});
        break;
    case Fault::wrongSubVersion:
        if (isCounters(m))
            failAs({"Błąd: wgrany do urządzenia firmware nie obsluguje tej funcji",
                    "Błąd: skontaktuj się z producentem - Vorkal",
                    "Błąd: wykonaj upgrade firmwaru urządzenia!!!"});
        else
            o.somewhere = {"SUBEWRSJA        : 1", "Błąd: wykonaj upgrade firmwaru urządzenia!!!"};
        break;
    case Fault::wrongPassword:
        failAs({"Start", "Hasło niepoprawne."});
        break;
    case Fault::emptyModule:
        if (isBlock(m) && !isBlockWrite(m))
            failAs({"Pusta konfiguracja/historia modułu - nie można jej odczytać !",
                    "Podpowiedź: Moduł należy najpierw zaprogramować, by mógł być odczytywany."});
        break;
    case Fault::lateByte:
        if (isBlock(m)) {
            o.somewhere = {"Trick @ " + std::to_string(kFaultByte + 1)};
            o.tricks = 1;
        }
        break;
    case Fault::wrongEcho:
        if (m == LinkMode::uploadFirmware) {
            const int sent = pattern(kFirmwareSize, 13, 200)[kFaultByte - 1];
            failAs({"[" + std::to_string(kFaultByte - 1) + "] " + std::to_string(sent) + " <> " +
                        std::to_string(static_cast<std::uint8_t>(~sent)),
                    "Błąd transmisji !!!! ", "Spróbuj jeszcze raz."});
        } else {
            const int sent = m == LinkMode::writeConfig ? b.s.session.configImage()[kFaultByte - 1]
                                                        : b.s.session.phoneBase()[kFaultByte - 1];
            failAs({"Błąd transmisji - spróbuj jeszcze raz. [" +
                    std::to_string(static_cast<std::uint8_t>(~sent)) + "!=" + std::to_string(sent) +
                    "@" + std::to_string(kFaultByte) + "]"});
        }
        break;
    case Fault::stopMidTransfer:
        if (m == LinkMode::uploadFirmware)
            failAs({"Timeout podczas transmisji !!!", "Błąd transmisji !!!! ",
                    "Spróbuj jeszcze raz."});
        else
            failAs({"Trick @ " + std::to_string(kFaultByte + 1), "Timeout podczas transmisji!!!"});
        o.tricks = m == LinkMode::uploadFirmware ? 0 : 1;
        break;
    default: // the port fails: the session stops at once, without the final reset
        failAs({std::string("Błąd otwarcia portu: sim (") + portReason(f) + ")"});
        o.resets = f == Fault::portOpen || f == Fault::portRts ? 0 : 2;
        o.restartedAtEnd = false;
        break;
    }
    return o;
}

// What the caller should hold after a successful session: what it held, with the read data in
// the read's own buffer (and, for a configuration, in the settings and the stored copy).
Held expectedHeld(LinkMode m, const Held& before, const Held& after, const SimMemory& module) {
    Held e = before;
    switch (m) {
    case LinkMode::readConfig:
        e.sessionImage = module.image;
        e.stored = module.image;
        e.image = module.image;
        e.settings = after.settings; // decoded from the image
        break;
    case LinkMode::readEvents:
        e.events = module.events;
        break;
    case LinkMode::readPhoneBase:
        e.phoneBase = module.phoneBase;
        break;
    case LinkMode::readCounters:
        e.counters = module.counters;
        break;
    default:
        break;
    }
    return e;
}

class FaultMatrix : public ::testing::TestWithParam<Cell> {
  protected:
    static void SetUpTestSuite() {
        fs::create_directories(fs::path(firmwareFile()).parent_path());
        std::ofstream out(firmwareFile(), std::ios::binary);
        for (auto b : pattern(kFirmwareSize, 13, 200))
            out.put(static_cast<char>(b));
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(fs::path(firmwareFile()).parent_path(), ec);
    }
};

TEST_P(FaultMatrix, cell) {
    const auto [mode, fault] = GetParam();
    const SimPortFaults portFaults = portFaultsFor(mode, fault);
    Bench b(mode, fault);
    b.s.port.setFaults(portFaults);
    const Held before = b.held();
    const Outcome expected = expectedOutcome(mode, fault, b);

    const int result = b.run();
    const auto& lines = b.s.obs.lines;
    EXPECT_EQ(result, expected.result);
    EXPECT_EQ(b.s.session.sessionResult(), expected.result);

    // The log: the opening lines, the expected end, and the lines on the way.
    ASSERT_GE(lines.size(), 2 + expected.tail.size()) << ::testing::PrintToString(lines);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2), (Lines{"Proszę czekać...", "Port: sim"}));
    EXPECT_EQ(Lines(lines.end() - static_cast<long>(expected.tail.size()), lines.end()),
              expected.tail)
        << ::testing::PrintToString(lines);
    for (const auto& line : expected.somewhere)
        EXPECT_EQ(b.s.obs.count(line), 1) << line;
    EXPECT_EQ(b.s.obs.count("Trick @ "), expected.tricks);
    // A failure never claims the mode's success ("Koniec." of identify comes before ">").
    if (expected.result < 0 && mode != LinkMode::identify) {
        EXPECT_EQ(b.s.obs.count(successTail(mode).front()), 0);
    }
    EXPECT_EQ(b.s.obs.boxes, isPortFault(fault) ? Lines{"Błąd otwarcia portu: sim"} : Lines{});
    EXPECT_EQ(b.s.obs.ended, 1);

    // The frame: the port closed, the module restarted after the last byte it heard.
    EXPECT_FALSE(b.s.port.isOpen());
    EXPECT_EQ(b.s.module.resetCount(), expected.resets);
    if (expected.restartedAtEnd) {
        EXPECT_FALSE(b.s.module.heardSinceReset());
        EXPECT_FALSE(b.s.module.inReset());
        EXPECT_FALSE(b.s.port.rts());
    }

    // The caller's data: untouched by a failure, only the read's own buffer replaced on success.
    const Held after = b.held();
    if (expected.result < 0) {
        EXPECT_TRUE(after == before) << "a failed session changed the caller's data";
    } else {
        EXPECT_TRUE(after == expectedHeld(mode, before, after, b.s.module.memory()))
            << "a successful session changed data it does not own";
    }
}

std::string cellName(const ::testing::TestParamInfo<Cell>& info) {
    return kModeNames.at(info.param.mode) + "_" + kFaultNames.at(info.param.fault);
}

INSTANTIATE_TEST_SUITE_P(AllModesAllFaults, FaultMatrix, ::testing::ValuesIn(meaningfulCells()),
                         cellName);

// The archive after a configuration session, as the window and the command line call it.
enum class ArchiveState { working, damaged, full, nowhere };
const std::map<ArchiveState, std::string> kArchiveNames = {
    {ArchiveState::working, "archiveWorking"},
    {ArchiveState::damaged, "archiveDamaged"},
    {ArchiveState::full, "archiveFull"},
    {ArchiveState::nowhere, "archiveNowhere"},
};

struct ArchiveCell {
    Cell cell;
    ArchiveState archive;
};

std::vector<ArchiveCell> archiveCells() {
    std::vector<ArchiveCell> cells;
    for (const Cell& c : meaningfulCells())
        if (c.mode == LinkMode::readConfig || c.mode == LinkMode::writeConfig)
            for (const auto& [state, name] : kArchiveNames)
                cells.push_back({c, state});
    return cells;
}

class ArchiveAfterSession : public ::testing::TestWithParam<ArchiveCell> {
  protected:
    static fs::path folder() {
        return fs::temp_directory_path() / ("qvprog_fault_archive_" + std::to_string(::getpid()));
    }
    static void SetUpTestSuite() { fs::create_directories(folder()); }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(folder(), ec);
    }
};

TEST_P(ArchiveAfterSession, cell) {
    const auto [cell, state] = GetParam();
    const auto [mode, fault] = cell;
    Bench b(mode, fault);
    b.s.port.setFaults(portFaultsFor(mode, fault));
    const Outcome expected = expectedOutcome(mode, fault, b);
    const Held before = b.held();
    const int result = b.run();
    const Held after = b.held();

    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string path =
        (folder() / (std::to_string(std::hash<std::string>{}(name)) + ".sqlite")).string();
    ArchiveOptions options;
    if (state == ArchiveState::damaged) std::ofstream(path) << "to nie jest archiwum";
    if (state == ArchiveState::full) options.maxPageCount = 1;
    if (state == ArchiveState::nowhere) path.clear();
    const auto entry = sessionEntry(b.s.session, mode, {{2024, 5, 6, 7, 8, 9, 0}, "ola", "a.qvx"});
    ArchiveStoreOutcome stored;
    if (entry) stored = storeInArchive(path, *entry, options);

    // The session's outcome and the caller's data are what they are without an archive.
    EXPECT_EQ(result, expected.result);
    EXPECT_EQ(b.s.session.sessionResult(), expected.result);
    EXPECT_TRUE(b.held() == after);
    if (expected.result < 0) {
        EXPECT_TRUE(after == before);
    }

    // Only a successful session leaves an entry; a failing archive says so in one line.
    EXPECT_EQ(entry.has_value(), expected.result > 0);
    if (!entry) return;
    if (state != ArchiveState::working) {
        ASSERT_TRUE(stored.message);
        EXPECT_EQ(stored.message->rfind("Archiwum: nie zapisano konfiguracji (", 0), 0u);
        EXPECT_EQ(stored.message->find('\n'), std::string::npos);
        return;
    }
    ASSERT_FALSE(stored.message) << *stored.message;
    auto opened = ConfigArchive::open(path, ConfigArchive::Access::existing);
    ASSERT_TRUE(opened.archive) << opened.problem;
    const auto kept = opened.archive->entry(stored.id);
    ASSERT_TRUE(kept.ok() && kept.value) << kept.problem;
    // What the module holds now: the image read, or the image written.
    EXPECT_TRUE(kept.value->image == b.s.module.memory().image);
    EXPECT_EQ(kept.value->summary.state, mode == LinkMode::readConfig ? "read" : "written");
    EXPECT_EQ(kept.value->summary.serialNumber, b.s.session.identity().serialNumber);
}

std::string archiveCellName(const ::testing::TestParamInfo<ArchiveCell>& info) {
    return kModeNames.at(info.param.cell.mode) + "_" + kFaultNames.at(info.param.cell.fault) + "_" +
           kArchiveNames.at(info.param.archive);
}

INSTANTIATE_TEST_SUITE_P(ConfigurationSessions, ArchiveAfterSession,
                         ::testing::ValuesIn(archiveCells()), archiveCellName);

} // namespace
} // namespace qv::test
