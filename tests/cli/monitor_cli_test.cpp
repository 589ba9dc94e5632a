#include "cli_helpers.hpp"

#include "sim/monitor_stream.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace qv::test {
namespace {

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// A 13123-byte binary configuration: the default image, an event buffer with two records
// (slots 0 and 1, the later one first in slot order), and the check bytes.
std::string binaryWithHistory(const std::string& dir) {
    const std::string plain = dir + "/plain.bCFG";
    EXPECT_EQ(runCli("defaults \"" + plain + "\"").exitCode, 0);
    std::string bytes = readBytes(plain).substr(0, 5120);
    std::string events(8000, '\xFF');
    const unsigned char rec0[] = {0, 0x03, 0, 0, 0, 24, 5, 17, 12, 40, 0, 0, 21};
    const unsigned char rec1[] = {0, 0x11, 0, 0, 0, 24, 5, 17, 12, 34, 50, 10, 5};
    for (std::size_t i = 0; i < 40; ++i)
        events[i] = events[40 + i] = 0;
    std::copy(std::begin(rec0), std::end(rec0), events.begin());
    std::copy(std::begin(rec1), std::end(rec1), events.begin() + 40);
    bytes += events;
    unsigned sum = 0;
    for (unsigned char c : bytes)
        sum += c;
    bytes.push_back('\0');
    bytes.push_back(static_cast<char>((sum >> 8) & 0xFF));
    bytes.push_back(static_cast<char>(sum & 0xFF));
    return bytes;
}

TEST(MonitorCli, ReplayPrintsTheDisplayStateInTableOrder) {
    const auto dir = scratchDir("replay");
    const std::string capture = dir + "/capture.bin";
    sim::MonitorStream stream;
    writeBytes(capture, stream.advanceTo(std::chrono::seconds(30)) + "AT+QVXS=0;7A;7D\r\n");
    const auto r = runCli("monitor --replay \"" + capture + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_GE(out.size(), 40u);
    EXPECT_EQ(out[0], "ac: 12.7V");
    EXPECT_EQ(out[1], "accu: 13.5V");
    EXPECT_EQ(out[2], "analog3: ?");
    EXPECT_EQ(out[6], "sim: OK");
    EXPECT_EQ(out[12], "labelReset: Podłączenie zasilania");
    EXPECT_EQ(out[14], "DateTimeLabel: 2024/05/17,12:34:58");
    EXPECT_EQ(out[16], "historyUsage: 0");
    EXPECT_EQ(out[19], "input TEST: ok blank blank"); // left from the last full status line
    EXPECT_EQ(out[34], "output Wyjscie 1: closed");
    EXPECT_EQ(out.back(), "event: 2024-05-17 12:35:19 WE 1 - ALARM");

    const auto j = runCli("monitor --replay \"" + capture + "\" --json");
    ASSERT_EQ(j.exitCode, 0);
    const auto state = nlohmann::json::parse(j.out);
    EXPECT_EQ(state["values"]["ac"]["text"], "12.7V");
    EXPECT_EQ(state["values"]["sim"]["colour"], "green");
    EXPECT_EQ(state["inputs"].size(), 15u);
    EXPECT_EQ(state["events"].size(), 1u);
}

TEST(MonitorCli, ARecordingReplaysToTheLiveMonitorsLastState) {
    const auto dir = scratchDir("record");
    const std::string file = dir + "/session.qvmon";
    const auto live = runCli("monitor --port sim:acloss=10,inputalarm=20 --seconds 40 --json "
                             "--record \"" +
                             file + "\"");
    ASSERT_EQ(live.exitCode, 0) << live.err;
    const auto liveLines = lines(live.out);
    ASSERT_FALSE(liveLines.empty());
    const auto last = nlohmann::json::parse(liveLines.back());
    EXPECT_EQ(readBytes(file).substr(0, 8), "QVMON1\r\n");

    const auto replay = runCli("monitor --replay \"" + file + "\" --json");
    ASSERT_EQ(replay.exitCode, 0) << replay.err;
    const auto state = nlohmann::json::parse(replay.out);
    for (const char* key : {"values", "inputs", "outputs", "events", "resets"})
        EXPECT_EQ(state[key], last[key]) << key;
    EXPECT_EQ(state["inputs"][1]["state"], "alarm"); // the mains failed

    // Cut short: the state up to the damage, the message, and status 1.
    const std::string bytes = readBytes(file);
    writeBytes(dir + "/cut.qvmon", bytes.substr(0, bytes.size() - 3));
    const auto cut = runCli("monitor --replay \"" + dir + "/cut.qvmon\"");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("Zapis monitora jest uszkodzony od bajtu"), std::string::npos)
        << cut.err;
    EXPECT_NE(cut.out.find("labelReset: Podłączenie zasilania"), std::string::npos);
    // A header cut short is no recording at all.
    writeBytes(dir + "/head.qvmon", bytes.substr(0, 12));
    const auto head = runCli("monitor --replay \"" + dir + "/head.qvmon\"");
    EXPECT_EQ(head.exitCode, 1);
    EXPECT_NE(head.err.find("Uszkodzony nagłówek zapisu monitora"), std::string::npos);
    // --record goes with a port only; a file that cannot be written refuses the monitor.
    EXPECT_EQ(runCli("monitor --replay \"" + file + "\" --record x.qvmon").exitCode, 2);
    EXPECT_EQ(runCli("monitor --port sim --record /nonexistent/dir/x.qvmon").exitCode, 1);
}

TEST(MonitorCli, BadUsageAndMissingFiles) {
    EXPECT_EQ(runCli("monitor").exitCode, 2);
    EXPECT_EQ(runCli("monitor --replay").exitCode, 2);
    EXPECT_EQ(runCli("monitor --replay /nonexistent/x.bin").exitCode, 2);
    const CliRun folder = runCli("monitor --replay " + scratchDir("replay-folder"));
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.err.find("Błąd odczytu pliku: "), std::string::npos);
    EXPECT_EQ(runCli("history").exitCode, 2);
    EXPECT_EQ(runCli("sms /nonexistent/x.qvx").exitCode, 1);
}

TEST(MonitorCli, SmsListingOfAConfigurationFile) {
    const auto dir = scratchDir("sms");
    const std::string file = dir + "/conf.qvx";
    ASSERT_EQ(runCli("defaults \"" + file + "\"").exitCode, 0);
    const auto r = runCli("sms \"" + file + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 191u);
    EXPECT_EQ(out[5], "Wejścia NC/NO            : *PBAQKAAAA");
    EXPECT_EQ(out[11], "Hasło do modułu          : OPCJA ZABLOKOWANA");
}

TEST(MonitorCli, HistoryOfABinaryFileIsFilledThenSorted) {
    const auto dir = scratchDir("history");
    const std::string file = dir + "/events.bCFG";
    writeBytes(file, binaryWithHistory(dir));
    const auto r = runCli("history \"" + file + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 207u);
    EXPECT_EQ(out[1], "Firmware      : ?");
    EXPECT_EQ(out[2], "Numer seryjny : events.bCFG");
    // Sorted: 198 empty rows first, then 12:35:00 (slot 1), then 12:40:00 (slot 0).
    EXPECT_EQ(out[7].substr(0, 6), "|001 |");
    EXPECT_EQ(out[205].substr(0, 57), "|199 |2024-05-17 12:35:00|WE 1 - ALARM       |          |");
    EXPECT_EQ(out[206].substr(0, 47), "|200 |2024-05-17 12:40:00|WE 1 - POWRÓT      |");

    const std::string txt = dir + "/out.txt";
    const auto w = runCli("history \"" + file + "\" \"" + txt + "\"");
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(w.out, "Bufor historii został zapisany\n");
    const std::string bytes = readBytes(txt);
    // CR LF line ends; "ś" of the header and "Ó" of POWRÓT take one byte each.
    EXPECT_EQ(bytes.size(), r.out.size() + 207u - 2u);
    EXPECT_NE(bytes.find("POWR\xD3T"), std::string::npos);

    const std::string plain = dir + "/plain.bCFG";
    EXPECT_EQ(runCli("history \"" + plain + "\"").exitCode, 1); // no event buffer
}

TEST(MonitorCli, LiveMonitorOfTheSimulatedModule) {
    const auto r = runCli("monitor --port sim --seconds 30");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_GT(out.size(), 30u);
    EXPECT_EQ(out[0], "======================= RESET =====================");
    EXPECT_NE(r.out.find(" AT+QVXR=F0\n"), std::string::npos);
    EXPECT_NE(r.out.find(" +CPIN: READY\n"), std::string::npos);
    EXPECT_NE(r.out.find("event: 2024-05-17 12:35:19 WE 2 - ALARM\n"), std::string::npos);

    const auto j = runCli("monitor --port sim --seconds 5 --json");
    ASSERT_EQ(j.exitCode, 0) << j.err;
    const auto objects = lines(j.out);
    ASSERT_FALSE(objects.empty());
    const auto last = nlohmann::json::parse(objects.back());
    EXPECT_EQ(last["values"]["sim"]["text"], "OK");
    EXPECT_EQ(last["line"].get<std::string>().substr(8), " +CCLK: \"24/05/17,12:34:58+08\"");

    EXPECT_EQ(runCli("monitor --port sim:bogus --seconds 1").exitCode, 2);

    // The clock is set once the SIM is ready; the module reports it in its next "+CCLK".
    const auto sync = runCli("monitor --port sim --seconds 70 --restart --sync-clock");
    ASSERT_EQ(sync.exitCode, 0) << sync.err;
    EXPECT_EQ(sync.err, "Komenda zostala wysłana, sprawdź poprawność RTC na dolnym pasku okna.\n");
    EXPECT_NE(sync.out.find("========== COMMAND FROM PC ==========\n"), std::string::npos);
    EXPECT_NE(sync.out.find("+CCLK: \"24/01/01,12:01:"), std::string::npos);
}

// After a restart the module's boot loader sends control bytes: the text output shows them as
// their codes, the JSON output escapes them.
TEST(MonitorCli, TheModulesControlBytesAreShownNotSentToTheTerminal) {
    const auto r = runCli("monitor --port sim --seconds 10 --restart");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("12:00:02 <02><03>V<00><03>\n"), std::string::npos) << r.out;
    const auto j = runCli("monitor --port sim --seconds 10 --restart --json");
    ASSERT_EQ(j.exitCode, 0) << j.err;
    EXPECT_NE(j.out.find("\"12:00:02 \\u0002\\u0003V\\u0000\\u0003\""), std::string::npos);
}

TEST(MonitorCli, AModuleWithAWrongPinIsStoppedAndReported) {
    const auto r = runCli("monitor --port sim:badpin --seconds 5");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("AT+QVXR=03"), std::string::npos);
    EXPECT_NE(r.err.find("UWAGA: WYKRYTO, ŻE KONFIGURACJA ZAWIERA BŁĘDNY PIN !!!"),
              std::string::npos);
}

TEST(MonitorCli, PhoneBaseWriteThenReadKeepsNumbersTextsAndDescriptions) {
    const auto dir = scratchDir("phonebase");
    const std::string port = "sim:state=" + dir + "/module.json,id=X/B/NAME_0504/2392123";
    const std::string in = dir + "/in.PHBINI";
    writeBytes(in, "[ADDITIONAL_PHONE]\r\nNUMBER_1=600100200\r\nNAME_1=Jan\r\nNUMBER_4000="
                   "0048123456789\r\nWELCOME_STRING=Witaj\r\n");
    const auto w = runCli("phonebase write --port " + port + " \"" + in + "\"");
    ASSERT_EQ(w.exitCode, 0) << w.out << w.err;

    const std::string out = dir + "/out.PHBINI";
    writeBytes(out, "[ADDITIONAL_PHONE]\r\nNAME_1=Opis z pliku\r\n");
    const auto r = runCli("phonebase read --port " + port + " \"" + out + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Zajete pozycje: 2 z 4000"), std::string::npos);
    const std::string bytes = readBytes(out);
    EXPECT_NE(bytes.find("NUMBER_1=600100200\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("NAME_1=Opis z pliku\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("NUMBER_4000=0048123456789\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("WELCOME_STRING=Witaj\r\n"), std::string::npos);
}

TEST(MonitorCli, PhoneBaseWriteRefusesShortAndNonDigitNumbersBeforeAnySession) {
    const auto dir = scratchDir("phonebase-bad");
    const std::string in = dir + "/bad.PHBINI";
    writeBytes(in, "[ADDITIONAL_PHONE]\r\nNUMBER_1=1234\r\nNUMBER_2=12345678\r\n");
    const auto shortOnes = runCli("phonebase write --port sim:silent \"" + in + "\"");
    EXPECT_EQ(shortOnes.exitCode, 1);
    EXPECT_EQ(shortOnes.err,
              "!!! Znaleziono 2 bledow w numerach telefonow - operacja przerwana !!!\n");
    EXPECT_EQ(shortOnes.out, ""); // no session was started

    writeBytes(in, "[ADDITIONAL_PHONE]\r\nNUMBER_7=+48600100200\r\n");
    const auto plus = runCli("phonebase write --port sim:silent \"" + in + "\"");
    EXPECT_EQ(plus.exitCode, 1);
    EXPECT_NE(plus.err.find("wierszu 7"), std::string::npos);
    EXPECT_EQ(runCli("phonebase erase x.PHBINI").exitCode, 2);
}

} // namespace
} // namespace qv::test
