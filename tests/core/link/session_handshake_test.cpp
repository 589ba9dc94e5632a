#include "support/sim_session.hpp"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

using Lines = std::vector<std::string>;

TEST(SessionHandshake, identifyLogsIdentificationChecksAndEndsWithKoniec) {
    SimSession s;
    EXPECT_EQ(s.run(LinkMode::identify), 1);
    const Lines expected = {
        "Proszę czekać...",
        "Port: sim",
        "FMRRAW           : NAME_0503",
        "Magic char       : X",
        "BootLoader       : B",
        "Model urządzenia : NAME",
        "Numer seryjny    : 2392123",
        "Platforma        : 92",
        "SUBEWRSJA        : 3",
        "FirmWare         : 5",
        "Koniec.",
    };
    EXPECT_EQ(s.obs.lines, expected);
    EXPECT_EQ(s.obs.ended, 1);
    // The module still gets "R" and ">", and is left out of reset at the end.
    EXPECT_EQ(s.module.receivedLog(), "R>");
    EXPECT_FALSE(s.port.rts());
    EXPECT_FALSE(s.port.isOpen());
    const auto& id = s.session.identity();
    EXPECT_EQ(id.firmwareVersion, 5);
    EXPECT_EQ(id.subVersion, 3);
    EXPECT_EQ(id.platform, 92);
}

TEST(SessionHandshake, silentOrZeroOnlyModuleIsNoAnswer) {
    for (auto fault : {&SimFaults::silent, &SimFaults::zeros}) {
        SimOptions o;
        o.faults.*fault = true;
        SimSession s(o);
        const auto start = s.clock.now();
        EXPECT_EQ(s.run(LinkMode::readConfig), -1);
        EXPECT_EQ(s.obs.lines.back(), "Brak odpowiedzi po restarcie !");
        EXPECT_EQ(s.obs.lines.size(), 3u);
        // 500 ms reset, 10 s wait, 50 ms, 500 ms final reset: all on the virtual clock.
        EXPECT_EQ(s.clock.now() - start, std::chrono::milliseconds(11050));
    }
}

TEST(SessionHandshake, noStxAfterSecondReset) {
    SimOptions o;
    o.faults.noStx = true;
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::identify), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błędna odpowiedź po restarcie (STX) !");
}

TEST(SessionHandshake, bytesBeforeStxAreDiscarded) {
    SimOptions o;
    o.faults.noiseBeforeStx = true;
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::identify), 1);
}

TEST(SessionHandshake, emptyIdentificationAfterFiltering) {
    SimOptions o;
    o.identification = " -.\r\n";
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::identify), -1);
    EXPECT_EQ(s.obs.lines.back(), "Brak identyfikacji urządzenia !");
}

TEST(SessionHandshake, blanksHyphensAndStopsAreDroppedBeforeSplitting) {
    SimOptions o;
    o.identification = "X/B/AB-12 _0503/23.92123\r\n";
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::identify), 1);
    EXPECT_TRUE(s.obs.has("FMRRAW           : AB12_0503"));
    EXPECT_TRUE(s.obs.has("Numer seryjny    : 2392123"));
}

TEST(SessionHandshake, bootloaderBelowBSkipsAllChecks) {
    for (const char* boot : {"A", "9", ""}) {
        SimOptions o;
        o.identification = std::string("X/") + boot + "/NAME_0103/1111";
        SimSession s(o);
        EXPECT_EQ(s.run(LinkMode::readCounters), 1) << boot;
        EXPECT_EQ(s.obs.count("Platforma"), 0);
        EXPECT_EQ(s.obs.count("SUBEWRSJA"), 0);
        EXPECT_EQ(s.obs.count("Błąd"), 0);
    }
}

TEST(SessionHandshake, unsupportedOrShortPlatformFails) {
    for (const char* serial : {"2377123", "239", ""}) {
        SimOptions o;
        o.identification = std::string("X/B/NAME_0503/") + serial;
        SimSession s(o);
        EXPECT_EQ(s.run(LinkMode::identify), -1) << serial;
        EXPECT_EQ(s.obs.lines.back(), "Błąd: niezgodność wersji sprzętu!!!");
        // Refused before ">": the application is never started.
        EXPECT_EQ(s.module.receivedLog(), "R");
    }
}

TEST(SessionHandshake, counterModesNeedSubVersion3) {
    SimOptions o;
    o.identification = "X/B/NAME_0504/2392123";
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::readCounters), -1);
    const Lines tail(s.obs.lines.end() - 2, s.obs.lines.end());
    EXPECT_EQ(tail, (Lines{"Błąd: wgrany do urządzenia firmware nie obsluguje tej funcji",
                           "Błąd: skontaktuj się z producentem - Vorkal"}));
}

TEST(SessionHandshake, phoneBaseModesAreRefusedOnCounterFirmware) {
    // Sub-version 3 answers "w" with its counters and ignores 0x88: the session says why
    // before the application is started, instead of blaming the password.
    SimSession s; // X/B/NAME_0503/...
    const auto base = s.module.memory().phoneBase;
    for (LinkMode mode : {LinkMode::readPhoneBase, LinkMode::writePhoneBase}) {
        EXPECT_EQ(s.run(mode), -1);
        const Lines tail(s.obs.lines.end() - 2, s.obs.lines.end());
        EXPECT_EQ(tail, (Lines{"Błąd: firmware urządzenia nie ma bazy 4000 numerów telefonów "
                               "(subwersja 3)",
                               "Podpowiedź: bazę numerów obsługuje firmware z subwersją 4."}));
        EXPECT_FALSE(s.obs.has("Hasło niepoprawne."));
        EXPECT_EQ(s.module.receivedLog(), "R");
    }
    EXPECT_EQ(s.module.memory().phoneBase, base);
}

TEST(SessionHandshake, oldFirmwareWarnsTwiceAndGoesOn) {
    SimOptions o;
    o.identification = "X/B/NAME_0201/2392123";
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::readConfig), 1);
    EXPECT_EQ(s.obs.count("Błąd: wykonaj upgrade firmwaru urządzenia!!!"), 2);
}

TEST(SessionHandshake, unparsableFirmwareVersionSkipsVersionLines) {
    SimOptions o;
    o.identification = "X/B/NAME_xx01/2392123";
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::readConfig), 1);
    EXPECT_EQ(s.obs.count("SUBEWRSJA"), 0);
    EXPECT_EQ(s.obs.count("Błąd"), 0);
}

TEST(SessionHandshake, portThatCannotOpenReportsPortMessage) {
    SimSession s;
    s.port.setFaults({.openFails = true});
    EXPECT_EQ(s.run(LinkMode::identify), -1);
    EXPECT_EQ(s.obs.boxes, Lines{"Błąd otwarcia portu: sim"});
    EXPECT_EQ(s.obs.lines.back(), "Błąd otwarcia portu: sim (No such file or directory)");
    EXPECT_EQ(s.obs.ended, 1);
}

TEST(SessionHandshake, failingPortCallMidTransferStopsAtOnceAsAFailure) {
    SimSession s;
    s.port.setFaults({.writeFailsAfter = 3}); // "R", ">", command: the first block byte fails
    // The password step had passed, but a transfer that breaks off has not succeeded.
    EXPECT_EQ(s.run(LinkMode::writeConfig), -1);
    EXPECT_EQ(s.obs.boxes.size(), 1u);
    EXPECT_FALSE(s.port.isOpen());
    EXPECT_EQ(s.module.resetCount(), 2); // no final reset through a failing port
}

// Breaks the port once the session has logged a given line.
struct BreakingObserver : RecordingObserver {
    SimPort* port = nullptr;
    std::string after;
    void logLine(const std::string& t) override {
        RecordingObserver::logLine(t);
        if (t == after) port->setFaults({.rtsFails = true});
    }
};

TEST(SessionHandshake, portErrorInTheFinalResetLeavesAFinishedReadStanding) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    BreakingObserver obs;
    obs.port = &port;
    obs.after = "Odczytano 8000bajtów";
    LinkSession session(port, clock, obs);
    SessionRequest r;
    r.mode = LinkMode::readEvents;
    r.portName = "sim";
    EXPECT_EQ(session.run(r), 1);
    EXPECT_EQ(obs.boxes.size(), 1u);
    EXPECT_EQ(session.eventBuffer(), module.memory().events);
}

TEST(SessionHandshake, reverseResetInvertsThePulse) {
    SimSession s;
    SessionRequest r;
    r.mode = LinkMode::identify;
    r.portName = "sim";
    r.reverseReset = true;
    // The module's reset input is active on RTS on: with inverted levels it stays in reset
    // outside the pulses, so it never answers.
    EXPECT_EQ(s.run(r), -1);
    EXPECT_TRUE(s.port.rts() || !s.port.isOpen());
    EXPECT_EQ(s.obs.lines.back(), "Brak odpowiedzi po restarcie !");
}

} // namespace
} // namespace qv::test
