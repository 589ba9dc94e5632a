#include "support/sim_session.hpp"

#include "link/at_terminal.hpp"
#include "link/firmware.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>

namespace qv::test {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(FirmwareFileName, sixDigitsAfterTheFirstUnderscore) {
    const auto f = parseFirmwareFileName("/tmp/dir_x/module_050392.bin");
    EXPECT_EQ(f.version, 5);
    EXPECT_EQ(f.minProgramMinor, 3);
    EXPECT_EQ(f.platform, 92);
    EXPECT_EQ(
        firmwareFileNameLines(f),
        (Lines{"Wersja firmware    : 5", "Minimalny QVProg   : 2.3.x", "Platforma docelowa : 92"}));
    const auto none = parseFirmwareFileName("firmware.bin");
    EXPECT_EQ(none.platform, -1);
    EXPECT_EQ(none.platformByte(), 255);
}

class FirmwareUpload : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qvprog_fw_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::error_code ec;
        fs::remove_all(dir_, ec); // what an interrupted earlier run left behind
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }
    std::string file(const std::string& name, std::size_t size) {
        const auto p = dir_ / name;
        std::ofstream out(p, std::ios::binary);
        for (std::size_t k = 0; k < size; ++k)
            out.put(static_cast<char>(k * 13 + 200));
        return p.string();
    }
    int upload(SimSession& s, const std::string& path) {
        s.session.setFirmwareFile(path);
        return s.run(LinkMode::uploadFirmware);
    }
    fs::path dir_;
};

TEST_F(FirmwareUpload, sendsMagicBNibblesAndEE) {
    SimSession s;
    const auto path = file("module_050392.bin", 1000);
    EXPECT_EQ(upload(s, path), 1);
    EXPECT_EQ(s.linesFrom("Rozmiar pliku: 1000 Bytes"),
              (Lines{"Rozmiar pliku: 1000 Bytes", "Rozmiar pliku mod: 1024 Bytes",
                     "Aktualizacja zakończona pomyślnie!"}));
    const auto& fw = s.module.memory().firmware;
    ASSERT_EQ(fw.size(), 1024u);
    EXPECT_EQ(fw[999], static_cast<std::uint8_t>(999 * 13 + 200));
    EXPECT_EQ(fw[1000], 0); // padding
    const std::string& wire = s.module.receivedLog();
    EXPECT_EQ(wire.substr(0, 5), std::string("RXB\x3C\x38")); // byte 200 = 0xC8 -> "<8"
    EXPECT_EQ(wire.substr(wire.size() - 2), "EE");
    // Two nibble characters per byte and nothing else (">" is not sent before them).
    ASSERT_EQ(wire.size(), 3u + 2 * 1024 + 2);
    EXPECT_TRUE(std::all_of(wire.begin() + 3, wire.end() - 2,
                            [](char c) { return c >= 0x30 && c <= 0x3F; }));
    EXPECT_EQ(s.obs.gaugeMax, 1023);
}

TEST_F(FirmwareUpload, exactMultipleOf256IsSentUnpaddedOneMoreAddsAFullBlock) {
    SimSession s;
    EXPECT_EQ(upload(s, file("a_050392.bin", 512)), 1);
    EXPECT_EQ(s.module.memory().firmware.size(), 512u);
    EXPECT_EQ(upload(s, file("b_050392.bin", 513)), 1);
    EXPECT_TRUE(s.obs.has("Rozmiar pliku mod: 768 Bytes"));
    EXPECT_EQ(s.module.memory().firmware.size(), 768u);
}

TEST_F(FirmwareUpload, fileForAnotherPlatformIsRefusedBeforeUpload) {
    SimSession s;
    EXPECT_EQ(upload(s, file("module_050303.bin", 10)), -1);
    const Lines tail(s.obs.lines.end() - 2, s.obs.lines.end());
    EXPECT_EQ(tail, (Lines{"Błąd: platforma docelowa firmwaru nie zgadza sie z podlaczonym "
                           "urzadzeniem!!!",
                           "3<>92"}));
    EXPECT_EQ(upload(s, file("firmware.bin", 10)), -1);
    EXPECT_EQ(s.obs.lines.back(), "255<>92");
    EXPECT_EQ(s.module.receivedLog(), "R");
}

TEST_F(FirmwareUpload, bootloaderBelowBUploadsAnyFile) {
    SimOptions o;
    o.identification = "X/A/NAME_0503/2392123";
    SimSession s(o);
    EXPECT_EQ(upload(s, file("firmware.bin", 10)), 1);
}

TEST_F(FirmwareUpload, missingOrWrongEchoStopsTheUpload) {
    SimOptions o;
    o.faults.stopAtByte = 40;
    SimSession s(o);
    const auto path = file("m_050392.bin", 300);
    EXPECT_EQ(upload(s, path), -1);
    EXPECT_EQ(
        s.linesFrom("Timeout podczas transmisji !!!"),
        (Lines{"Timeout podczas transmisji !!!", "Błąd transmisji !!!! ", "Spróbuj jeszcze raz."}));
    EXPECT_EQ(s.session.firmwareFile(), path); // kept for another try

    s.module.options().faults = {};
    s.module.options().faults.badEchoByte = 18; // index 17
    EXPECT_EQ(upload(s, path), -1);
    const std::uint8_t b = static_cast<std::uint8_t>(17 * 13 + 200);
    EXPECT_TRUE(s.obs.has("[17] " + std::to_string(b) + " <> " +
                          std::to_string(static_cast<std::uint8_t>(~b))));
    EXPECT_EQ(s.obs.lines.back(), "Spróbuj jeszcze raz.");

    // No "Trick" step in an upload: one late echo within 5 s is simply waited for.
    s.module.options().faults = {};
    s.module.options().faults.lateByte = 3;
    EXPECT_EQ(upload(s, path), 1);
    EXPECT_EQ(s.obs.count("Trick"), 0);
}

TEST_F(FirmwareUpload, emptyMissingOrUnreadableFile) {
    SimSession s;
    EXPECT_EQ(upload(s, file("e_050392.bin", 0)), -1);
    EXPECT_EQ(s.obs.lines.back(), "Nie wybrano pliku do załadowania lub plik jest pusty");

    EXPECT_EQ(upload(s, (dir_ / "gone_050392.bin").string()), -1);
    EXPECT_TRUE(s.obs.has("Problem z wczytaniem pliku."));
    EXPECT_EQ(s.obs.lines.back(), "Nie wybrano pliku do załadowania lub plik jest pusty");
    EXPECT_EQ(s.session.firmwareFile(), "");
}

#ifndef _WIN32
TEST_F(FirmwareUpload, pipeOrFolderIsRefusedWithoutWaitingForIt) {
    const auto pipe = dir_ / "pipe_050392.bin";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(dir_ / "dir_050392.bin");
    for (const auto& path : {pipe, dir_ / "dir_050392.bin"}) {
        SimSession s;
        EXPECT_EQ(upload(s, path.string()), -1);
        EXPECT_TRUE(s.obs.has("Problem z wczytaniem pliku."));
    }
}
#endif

TEST_F(FirmwareUpload, readOnlyFileUploads) {
    SimSession s;
    const auto path = file("ro_050392.bin", 256);
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(upload(s, path), 1);
    fs::permissions(path,
                    fs::perms::owner_read | fs::perms::owner_write); // Windows removes it then
}

TEST_F(FirmwareUpload, fileTooLargeForTheBufferIsRefusedBeforeThePortOpens) {
    SimSession s;
    EXPECT_EQ(upload(s, file("big_050392.bin", kFirmwareMaxPadded)), 1);
    EXPECT_EQ(upload(s, file("big_050392.bin", kFirmwareMaxPadded + 1)), -1);
    EXPECT_EQ(s.module.receivedLog(), "");
    EXPECT_EQ(s.obs.lines.back(), "Plik firmware jest za duży - najwyżej 29952 bajtów.");
}

TEST(CounterText, whatAReadShowsAndNothingElse) {
    EXPECT_EQ(parseCounterText("0"), 0u);
    EXPECT_EQ(parseCounterText("2147483648"), 0x80000000u);
    EXPECT_EQ(parseCounterText("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(parseCounterText(" 12 "), 12u);
    // A read shows unsigned decimals only: a sign, a fraction or a larger number is refused,
    // whatever its 32-bit pattern would be.
    for (const char* bad : {"", "  ", "abc", "12a", "4294967296", "99999999999999999999", "-1",
                            "-2147483648", "+7", "-0", "-", "1.5", "0x10", "1 2"})
        EXPECT_EQ(parseCounterText(bad), std::nullopt) << bad;
}

TEST(CounterText, aWriteIsRefusedAtItsFirstBadText) {
    const auto good = parseCounterTexts({"0", "4294967295", " 7 ", "2147483648", "2"});
    EXPECT_EQ(good.refusal, "");
    EXPECT_EQ(good.values, (CounterValues{0, 0xFFFFFFFFu, 7, 0x80000000u, 2}));
    const auto bad = parseCounterTexts({"1", "", "x", "4", "5"});
    EXPECT_EQ(bad.refusal, "Błędna wartość licznika wejścia 2: \"\" (dozwolone liczby od 0 do "
                           "4294967295) - liczniki nie zostały zapisane");
    EXPECT_NE(parseCounterTexts({"1", "2", "3", "-1", "5"}).refusal.find("wejścia 4"),
              std::string::npos);
}

TEST(CounterSession, writeThenReadShowsUnsignedValues) {
    SimSession s;
    SessionRequest r;
    r.mode = LinkMode::writeCounters;
    r.portName = "sim";
    r.counterTexts = {"0", "4294967295", "4294967295", "2147483648", "17"};
    EXPECT_EQ(s.run(r), 1);
    EXPECT_EQ(s.linesFrom("Zapis liczników wejsc"),
              (Lines{"Zapis liczników wejsc", "Start",
                     "Zapisane - odczytaj je jeszcze raz w celu sprawdzenia"}));
    // Little-endian on the wire, input 1 first, no password.
    EXPECT_EQ(s.module.receivedLog().substr(2, 9), std::string("\x7F\0\0\0\0\xFF\xFF\xFF\xFF", 9));

    EXPECT_EQ(s.run(LinkMode::readCounters, "pass"), 1);
    EXPECT_EQ(s.module.receivedLog(), "R>w");
    EXPECT_EQ(s.linesFrom("Liczniki wejsc:"),
              (Lines{"Liczniki wejsc:", "Wejscie 1 : 0", "Wejscie 2 : 4294967295",
                     "Wejscie 3 : 4294967295", "Wejscie 4 : 2147483648", "Wejscie 5 : 17"}));
    EXPECT_EQ(s.session.counters()[4], 17u);
}

TEST(CounterSession, badTextRefusesTheWriteBeforeAByteIsSent) {
    SimSession s;
    s.module.memory().counters = {1, 2, 3, 4, 5};
    SessionRequest r;
    r.mode = LinkMode::writeCounters;
    r.portName = "sim";
    r.counterTexts = {"1", "2", "trzy", "4", "5"};
    EXPECT_EQ(s.run(r), -1);
    EXPECT_EQ(s.obs.lines.back(),
              "Błędna wartość licznika wejścia 3: \"trzy\" (dozwolone liczby od 0 do 4294967295) - "
              "liczniki nie zostały zapisane");
    EXPECT_EQ(s.module.receivedLog(), "");
    EXPECT_EQ(s.module.memory().counters, (CounterValues{1, 2, 3, 4, 5}));
}

TEST(CounterSession, missingAnswersAreReported) {
    SimOptions o;
    o.faults.deaf = true;
    SimSession s(o);
    const auto before = s.session.counters();
    EXPECT_EQ(s.run(LinkMode::readCounters), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błąd odczytu liczników!!!");
    EXPECT_EQ(s.session.counters(), before);
    SessionRequest r;
    r.mode = LinkMode::writeCounters;
    r.portName = "sim";
    r.counterTexts = {"1", "2", "3", "4", "5"};
    EXPECT_EQ(s.run(r), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błąd zapisu liczników!!!");
}

struct CapturePort : SerialPort {
    std::vector<std::pair<Clock::TimePoint, std::string>> writes;
    Clock* clock = nullptr;
    void open(const std::string&) override {}
    void close() noexcept override {}
    bool isOpen() const override { return true; }
    std::string name() const override { return "x"; }
    void setBaudRate(int) override {}
    void purge(bool, bool) override {}
    void setRts(bool) override {}
    using SerialPort::write;
    std::size_t write(std::span<const std::uint8_t> b) override {
        writes.emplace_back(clock->now(), std::string(b.begin(), b.end()));
        return b.size();
    }
    std::size_t readAvailable(std::span<std::uint8_t>) override { return 0; }
    bool waitReadable(Clock::Duration) override { return false; }
};

TEST(AtTerminal, commandIsIntroducedByAtPlus1HalfASecondBefore) {
    VirtualClock clock;
    CapturePort port;
    port.clock = &clock;
    std::vector<std::string> notes;
    const auto t0 = clock.now();
    EXPECT_FALSE(sendAtCommand(port, clock, ""));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(sendAtCommand(port, clock, "AT+CSQ", [&](auto& n) { notes.push_back(n); }));
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(port.writes[0].second, "AT+1\r\n");
    EXPECT_EQ(port.writes[1].second, "AT+CSQ\r\n");
    EXPECT_EQ(port.writes[1].first - t0, std::chrono::milliseconds(500));
    EXPECT_EQ(notes, Lines{"========== COMMAND FROM PC =========="});
}

TEST(AtTerminal, smsBodyEndsWithCtrlZAndAtPlus0) {
    VirtualClock clock;
    CapturePort port;
    port.clock = &clock;
    EXPECT_FALSE(sendSmsBody(port, clock, "", "treść"));
    EXPECT_TRUE(port.writes.empty());
    const auto t0 = clock.now();
    EXPECT_TRUE(sendSmsBody(port, clock, "AT+", "zażółć"));
    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[1].second, "za\xBF\xF3\xB3\xE6\x1A"); // Windows-1250
    EXPECT_EQ(port.writes[2].second, "AT+0\r\n");
    EXPECT_EQ(port.writes[2].first - t0, std::chrono::milliseconds(1000));
    EXPECT_EQ(clock.now() - t0, std::chrono::milliseconds(1500));
}

} // namespace
} // namespace qv::test
