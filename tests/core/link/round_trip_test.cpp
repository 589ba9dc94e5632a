// The echo round trip: the meter, the hint it leads to, and a session on a simulated adapter
// that holds every byte (the latency option), all on the virtual clock.
#include "link/round_trip.hpp"
#include "sim/sim_adapter.hpp"
#include "sim/sim_setup.hpp"
#include "support/sim_session.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(RoundTripMeter, MedianOfTheFirstSamplesOnly) {
    RoundTripMeter m;
    EXPECT_FALSE(m.median());
    m.add(milliseconds(5));
    m.add(milliseconds(1));
    m.add(milliseconds(100)); // one slow answer does not move the median
    EXPECT_EQ(*m.median(), milliseconds(5));
    m.add(milliseconds(3));
    EXPECT_EQ(*m.median(), milliseconds(4)); // even count: between the middle two
    for (int k = 0; k < 100; ++k)
        m.add(milliseconds(50));
    EXPECT_EQ(m.count(), RoundTripMeter::kSamples);
    EXPECT_TRUE(m.full());
    m.clear();
    EXPECT_EQ(m.count(), 0u);
}

TEST(RoundTripText, TransferTimesAndMilliseconds) {
    EXPECT_EQ(transferTimeText(milliseconds(16), 5120), "1 min 22 s");
    EXPECT_EQ(transferTimeText(milliseconds(16), 32300), "8 min 37 s");
    EXPECT_EQ(transferTimeText(microseconds(600), 5120), "3.1 s");
    EXPECT_EQ(transferTimeText(milliseconds(200), 32300), "1 h 47 min");
    EXPECT_EQ(millisecondsText(microseconds(16250)), "16.2 ms");
}

AdapterDescription ftdi(AdapterSystem system, const std::string& port, int timer,
                        const std::string& setting) {
    AdapterDescription d;
    d.system = system;
    d.port = port;
    d.found = true;
    d.driver = system == AdapterSystem::windows ? "FTDIBUS" : "ftdi_sio";
    d.vendorId = "0403";
    d.productId = "6001";
    d.latencyTimerMs = timer;
    d.latencySetting = setting;
    return d;
}

TEST(LatencyHint, OnlyAboveTheThreshold) {
    const auto a = ftdi(AdapterSystem::sysfs, "/dev/ttyUSB0", 16, "/sys/x/latency_timer");
    EXPECT_FALSE(latencyHint(milliseconds(4), a));
    EXPECT_FALSE(latencyHint(microseconds(300), a));
    EXPECT_TRUE(latencyHint(microseconds(4100), a));
}

TEST(LatencyHint, SaysWhatIsSlowHowLongAndHowToFixIt) {
    const auto onLinux =
        latencyHint(milliseconds(16), ftdi(AdapterSystem::sysfs, "/dev/ttyUSB0", 16,
                                           "/sys/class/tty/ttyUSB0/device/latency_timer"));
    ASSERT_TRUE(onLinux);
    ASSERT_EQ(onLinux->lines.size(), 4u);
    EXPECT_EQ(onLinux->lines[0],
              "Uwaga: wolny adapter USB - odpowiedź modułu przychodzi po 16.0 ms, "
              "a łącze potrzebuje 0.2 ms.");
    EXPECT_EQ(onLinux->lines[1], "W tym tempie zapis konfiguracji (5120 bajtów) potrwa około "
                                 "1 min 22 s, baza telefonów (32300 bajtów) około 8 min 37 s.");
    EXPECT_EQ(onLinux->lines[2],
              "Adapter: FTDI 0403:6001, sterownik ftdi_sio, opóźnienie (latency timer) 16 ms.");
    EXPECT_EQ(onLinux->lines[3], "Poprawka: ustaw opóźnienie 1 ms poleceniem: echo 1 | sudo tee "
                                 "/sys/class/tty/ttyUSB0/device/latency_timer");
    EXPECT_FALSE(onLinux->offersElevatedFix);

    const auto onWindows = latencyHint(
        milliseconds(16), ftdi(AdapterSystem::windows, "COM3", 16, "HKLM\\...\\LatencyTimer"));
    ASSERT_TRUE(onWindows);
    EXPECT_EQ(onWindows->lines[3],
              "Poprawka (wymaga uprawnień administratora): qvprog-cli adapter "
              "COM3 --low-latency, potem odłącz adapter i podłącz go ponownie.");
    EXPECT_TRUE(onWindows->offersElevatedFix);
    EXPECT_EQ(onWindows->port, "COM3");
}

TEST(LatencyHint, AdaptersThatCannotBeSetHere) {
    // Already at 1 ms: the cause is elsewhere, and nothing is offered.
    const auto low = latencyHint(milliseconds(9), ftdi(AdapterSystem::windows, "COM3", 1, "k"));
    ASSERT_TRUE(low);
    EXPECT_NE(low->lines[3].find("już najmniejsze"), std::string::npos);
    EXPECT_FALSE(low->offersElevatedFix);
    // Another maker's chip, and an adapter nobody could describe.
    AdapterDescription ch340 = ftdi(AdapterSystem::windows, "COM4", 0, "");
    ch340.vendorId = "1a86";
    ch340.latencyTimerMs.reset();
    const auto other = latencyHint(milliseconds(9), ch340);
    EXPECT_EQ(other->lines[2], "Adapter: USB 1a86:6001, sterownik FTDIBUS.");
    EXPECT_NE(other->lines[3].find("ustawieniach sterownika"), std::string::npos);
    EXPECT_FALSE(other->offersElevatedFix);
    AdapterDescription unknown;
    unknown.port = "COM5";
    unknown.note = "brak danych";
    EXPECT_EQ(latencyHint(milliseconds(9), unknown)->lines[2],
              "Adapter: nie rozpoznano (brak danych).");
}

TEST(UsbInstanceId, VendorAndProductOfWindowsDevices) {
    std::string v, p;
    EXPECT_TRUE(parseUsbInstanceId("FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", v, p));
    EXPECT_EQ(v, "0403");
    EXPECT_EQ(p, "6001");
    EXPECT_TRUE(parseUsbInstanceId("USB\\vid_1a86&pid_7523\\5&1", v, p));
    EXPECT_EQ(v, "1a86");
    EXPECT_EQ(p, "7523");
    EXPECT_FALSE(parseUsbInstanceId("ACPI\\PNP0501\\1", v, p));
    EXPECT_FALSE(parseUsbInstanceId("USB\\VID_04", v, p)); // cut short
    EXPECT_FALSE(parseUsbInstanceId("USB\\VID_04G3", v, p));
}

// A whole write through a simulated adapter that holds each byte of the module for ms.
struct SlowAdapterSession : test::SimSession {
    explicit SlowAdapterSession(int ms) : test::SimSession(options(ms)), tuner(module) {
        session.setAdapterTuner(&tuner);
    }
    static SimOptions options(int ms) {
        SimOptions o;
        o.adapterLatency = milliseconds(ms);
        return o;
    }
    SimAdapterTuner tuner;
};

TEST(LatencyHintInSession, ShownOnceAboveTheThresholdAndTheLogUnchanged) {
    test::SimSession fast;
    ASSERT_EQ(fast.run(LinkMode::writeConfig), 1);
    EXPECT_TRUE(fast.obs.hints.empty());

    SlowAdapterSession slow(16);
    const auto start = slow.clock.now();
    ASSERT_EQ(slow.run(LinkMode::writeConfig), 1);
    // The adapter sets the pace: 5120 round trips of about 16 ms of virtual time.
    EXPECT_GT(slow.clock.now() - start, std::chrono::seconds(80));
    ASSERT_EQ(slow.obs.hints.size(), 1u);
    EXPECT_EQ(slow.obs.hints[0].lines[2],
              "Adapter: FTDI 0403:6001, sterownik symulator, opóźnienie (latency timer) 16 ms.");
    EXPECT_EQ(slow.obs.hints[0].lines[3], "Poprawka: moduł symulowany z opcją latency=1.");
    // The hint is no log line: the log is the fast line's, line for line.
    EXPECT_EQ(slow.obs.lines, fast.obs.lines);
    EXPECT_GT(*slow.session.roundTrip().median(), milliseconds(16));

    // Once a session: a second session may tell it again.
    ASSERT_EQ(slow.run(LinkMode::readConfig), 1);
    EXPECT_EQ(slow.obs.hints.size(), 1u);
}

TEST(LatencyHintInSession, NotShownBelowTheThreshold) {
    for (int ms : {1, 3}) {
        SlowAdapterSession s(ms);
        ASSERT_EQ(s.run(LinkMode::writeConfig), 1) << ms;
        EXPECT_TRUE(s.obs.hints.empty()) << ms;
        EXPECT_LT(*s.session.roundTrip().median(), milliseconds(ms + 1));
    }
}

TEST(LatencyHintInSession, AfterTheRemedyTheNextSessionIsFast) {
    SlowAdapterSession s(16);
    ASSERT_EQ(s.run(LinkMode::writeConfig), 1);
    EXPECT_EQ(s.obs.hints.size(), 1u);
    const AdapterChange change = s.tuner.setLowLatency("sim");
    EXPECT_EQ(change.outcome, AdapterChange::Outcome::done);
    EXPECT_EQ(change.lines[0], "Opóźnienie adaptera symulowanego: było 16 ms, ustawiono 1 ms.");
    const auto start = s.clock.now();
    ASSERT_EQ(s.run(LinkMode::writeConfig), 1);
    EXPECT_TRUE(s.obs.hints.empty());
    EXPECT_LT(s.clock.now() - start, std::chrono::seconds(10));
}

TEST(LatencyHintInSession, FewSamplesDecideNothing) {
    // An identification gives one round trip (the answer to "R"): measured, never judged.
    SlowAdapterSession s(16);
    ASSERT_EQ(s.run(LinkMode::identify), 1);
    EXPECT_EQ(s.session.roundTrip().count(), 1u);
    EXPECT_GT(*s.session.roundTrip().median(), milliseconds(16));
    EXPECT_TRUE(s.obs.hints.empty());
    // A transfer that breaks off early is judged on what it measured.
    SlowAdapterSession stopped(16);
    stopped.module.options().faults.stopAtByte = 20;
    EXPECT_EQ(stopped.run(LinkMode::writeConfig), -1);
    EXPECT_EQ(stopped.obs.hints.size(), 1u);
}

TEST(SimLatencyOption, ParsedWithinItsRange) {
    std::string error;
    const auto spec = parseSimPortSpec("sim:realtime,latency=16", error);
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->options.adapterLatency, milliseconds(16));
    EXPECT_TRUE(spec->realtime);
    for (const char* bad : {"sim:latency=0", "sim:latency=1001", "sim:latency", "sim:latency=x"})
        EXPECT_FALSE(parseSimPortSpec(bad, error)) << bad;
    EXPECT_EQ(error, "bad option of the simulated port: latency=x");
}

} // namespace
} // namespace qv
