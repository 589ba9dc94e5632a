#include "sim/application_stream.hpp"
#include "sim/sim_memory.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"
#include "sim/sim_setup.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string readAll(SerialPort& port) {
    std::string got;
    std::uint8_t buf[64];
    while (std::size_t n = port.readAvailable(buf))
        got.append(reinterpret_cast<char*>(buf), n);
    return got;
}

TEST(SimPortTiming, answersArriveAfterTheirWireTimeOnTheVirtualClock) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    port.open("sim");
    port.setRts(true);
    clock.advance(500ms);
    const auto release = clock.now();
    port.setRts(false);
    std::uint8_t b = 0;
    EXPECT_EQ(port.readAvailable({&b, 1}), 0u);
    ASSERT_TRUE(port.waitReadable(10s));
    EXPECT_EQ(clock.now() - release, SimModule::kBootDelay + SimModule::kByteTime);
    EXPECT_EQ(port.readAvailable({&b, 1}), 1u);
    EXPECT_EQ(b, 0x02);

    // A wait for a silent line ends exactly at its deadline.
    const auto before = clock.now();
    EXPECT_FALSE(port.waitReadable(800ms));
    EXPECT_EQ(clock.now() - before, 800ms);
}

TEST(SimPortTiming, recordsEveryRtsLevelWithItsTime) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    port.open("sim");
    const auto opened = clock.now();
    port.setRts(true);
    clock.advance(500ms);
    port.setRts(false);
    const auto h = port.rtsHistory();
    ASSERT_EQ(h.size(), 3u);
    EXPECT_FALSE(h[0].on); // opening drives RTS off
    EXPECT_TRUE(h[1].on);
    EXPECT_FALSE(h[2].on);
    EXPECT_EQ(h[1].at, opened);
    EXPECT_EQ(h[2].at - h[1].at, 500ms);
    for (std::size_t i = 0; i < SimPort::kRtsHistoryLimit; ++i)
        port.setRts(i % 2 == 0);
    EXPECT_EQ(port.rtsHistory().size(), SimPort::kRtsHistoryLimit);
    EXPECT_FALSE(port.rtsHistory().back().on);
}

TEST(SimPortTiming, resetDropsWhatTheModuleWasStillSendingAndPurgeWhatArrived) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    port.open("sim");
    clock.advance(10ms); // STX has arrived
    port.write(std::string("R"));
    clock.advance(1ms); // part of the identification has arrived
    port.purge(true, true);
    EXPECT_EQ(readAll(port), "");
    clock.advance(1ms);
    EXPECT_FALSE(readAll(port).empty()); // the rest was still on its way
    port.write(std::string("R"));
    clock.advance(1ms);
    port.setRts(true);
    clock.advance(1s);
    const std::string got = readAll(port);
    EXPECT_LT(got.size(), 21u);
}

struct TickStream : ApplicationStream {
    int starts = 0;
    std::string heard;
    Clock::Duration done{};
    void start(const SimMemory&) override {
        ++starts;
        done = {};
    }
    std::string emitUntil(Clock::Duration t) override {
        std::string out;
        while (done + 100ms <= t) {
            done += 100ms;
            out += "T\r\n";
        }
        return out;
    }
    std::optional<Clock::Duration> nextEmission(Clock::Duration) const override {
        return done + 100ms;
    }
    void received(std::uint8_t b, Clock::Duration) override { heard.push_back(char(b)); }
};

// With RTS released the bootloader starts the application on its own after 1 s; the
// application sends ETX and its status, keeps 1 s for a command, then streams.
TEST(SimApplication, streamsAfterItsCommandWindowAndHearsTheProgram) {
    VirtualClock clock;
    SimModule module;
    auto stream = std::make_shared<TickStream>();
    module.setApplicationStream(stream);
    SimPort port(module, clock);
    port.open("sim");
    ASSERT_TRUE(port.waitReadable(5s));
    EXPECT_EQ(readAll(port), "\x02");
    ASSERT_TRUE(port.waitReadable(5s));
    ASSERT_TRUE(port.waitReadable(5s));
    clock.advance(1ms);
    EXPECT_EQ(readAll(port), std::string("\x03V\x00\x03", 4));
    EXPECT_EQ(stream->starts, 0);
    ASSERT_TRUE(port.waitReadable(5s)); // wakes at the stream's first line
    EXPECT_EQ(stream->starts, 1);
    clock.advance(1ms);
    EXPECT_EQ(readAll(port), "T\r\n");
    port.write(std::string("AT+1\r\n"));
    clock.advance(1ms);
    EXPECT_EQ(stream->heard, "AT+1\r\n");
    // A reset restarts the module and, later, the stream.
    port.setRts(true);
    port.setRts(false);
    clock.advance(3s);
    readAll(port); // the model moves on when the port is used
    EXPECT_EQ(stream->starts, 2);
}

TEST(SimMemoryFile, roundTripsAndRefusesDamagedFiles) {
    const fs::path dir = fs::temp_directory_path() / "qvprog_sim_state";
    fs::create_directories(dir);
    const std::string path = (dir / "m.json").string();
    SimMemory m = SimMemory::fresh();
    m.password = "a\xB3";
    m.counters = {1, 0xFFFFFFFF, 3, 4, 5};
    m.image[5119] = 0x77;
    m.firmware = {1, 2, 3};
    std::string error;
    ASSERT_TRUE(saveSimMemory(m, path, error)) << error;
    const auto back = loadSimMemory(path, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->image, m.image);
    EXPECT_EQ(back->events, m.events);
    EXPECT_EQ(back->phoneBase, m.phoneBase);
    EXPECT_EQ(back->password, m.password);
    EXPECT_EQ(back->counters, m.counters);
    EXPECT_EQ(back->firmware, m.firmware);
    EXPECT_EQ(back->eventPosition, 3);

    for (const char* damaged : {"", "not json", "[]", "{\"format\":\"qvprog-sim-module-1\"}",
                                "{\"format\":7}", "{\"format\":\"other\",\"config\":\"00\"}"}) {
        std::ofstream(path) << damaged;
        EXPECT_FALSE(loadSimMemory(path, error)) << damaged;
        EXPECT_FALSE(error.empty());
    }
    fs::remove_all(dir);
}

TEST(SimPortSpec, optionsAndRefusals) {
    std::string error;
    const auto spec = parseSimPortSpec(
        "sim:state=/tmp/x.json,realtime,id=X/C/Q_0504/1193,password=ab,configured=0,"
        "silent,zeros,nostx,late=5,badecho=6,stop=7",
        error);
    ASSERT_TRUE(spec) << error;
    EXPECT_EQ(spec->statePath, "/tmp/x.json");
    EXPECT_TRUE(spec->realtime);
    EXPECT_EQ(spec->options.identification, "X/C/Q_0504/1193");
    EXPECT_EQ(spec->password, "ab");
    EXPECT_EQ(spec->configured, false);
    const SimFaults& f = spec->options.faults;
    EXPECT_TRUE(f.silent && f.zeros && f.noStx);
    EXPECT_EQ(f.lateByte, 5);
    EXPECT_EQ(f.badEchoByte, 6);
    EXPECT_EQ(f.stopAtByte, 7);
    EXPECT_TRUE(parseSimPortSpec("sim", error));
    for (const char* bad : {"sim:late=0", "sim:late=", "sim:late=1x", "sim:configured=2",
                            "sim:password=12345", "sim:state=", "sim:what", "simx", "sim:silent=1"})
        EXPECT_FALSE(parseSimPortSpec(bad, error)) << bad;
}

TEST(SimPortSpec, portFaultOptions) {
    std::string error;
    const auto spec =
        parseSimPortSpec("sim:openfail,rtsfail,writefail=9,readfail=10,vanish=11", error);
    ASSERT_TRUE(spec) << error;
    const SimPortFaults& p = spec->portFaults;
    EXPECT_TRUE(p.openFails && p.rtsFails);
    EXPECT_EQ(p.writeFailsAtByte, 9);
    EXPECT_EQ(p.readFailsAtByte, 10);
    EXPECT_EQ(p.vanishesAtByte, 11);
    for (const char* bad :
         {"sim:writefail", "sim:readfail=0", "sim:vanish=-3", "sim:openfail=1", "sim:break=1"})
        EXPECT_FALSE(parseSimPortSpec(bad, error)) << bad;
    const auto events = parseSimPortSpec("sim:break,rx80full", error);
    ASSERT_TRUE(events) << error;
    EXPECT_TRUE(events->portFaults.breakOnRelease && events->portFaults.rx80FullOnRelease);

    // The faults reach the port the command line opens.
    auto setup = SimSetup::create(*parseSimPortSpec("sim:openfail", error), error);
    ASSERT_TRUE(setup) << error;
    EXPECT_THROW(setup->port().open("sim"), PortError);
}

TEST(SimPortFaults, lineEventsComeOnceEachAndNotFromAnEarlierOpening) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    port.setFaults({.breakOnRelease = true});
    port.open("sim");
    EXPECT_FALSE(port.takeLineEvents().breakReceived);
    port.setRts(true);
    EXPECT_FALSE(port.takeLineEvents().breakReceived);
    port.setRts(false); // let out of reset
    EXPECT_TRUE(port.takeLineEvents().breakReceived);
    EXPECT_FALSE(port.takeLineEvents().breakReceived);
    port.raiseLineEvents({.receiveBuffer80Full = true});
    port.close();
    port.open("sim");
    const PortLineEvents none = port.takeLineEvents();
    EXPECT_FALSE(none.receiveBuffer80Full || none.breakReceived);
}

TEST(SimPortFaults, failingByteCutsTheWriteAndTheReadWhereItFalls) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    port.setFaults({.writeFailsAtByte = 3, .readFailsAtByte = 2});
    port.open("sim");
    EXPECT_EQ(port.write(std::string("R")), 1u);
    EXPECT_THROW(port.write(std::string("RR")), PortError); // bytes 2 and 3: only 2 goes out
    EXPECT_EQ(module.receivedLog(), "RR");
    EXPECT_THROW(port.write(std::string("R")), PortError);
    clock.advance(10ms); // STX and the identification have arrived
    std::uint8_t buf[8];
    EXPECT_EQ(port.readAvailable(buf), 1u); // byte 1 only
    EXPECT_EQ(port.bytesRead(), 1u);
    EXPECT_THROW(port.readAvailable(buf), PortError);
    port.setRts(true); // the line itself still works
    port.purge(true, true);
    EXPECT_EQ(port.readAvailable(buf), 0u); // nothing waiting: nothing to fail
    port.close();
    port.open("sim"); // counted afresh in each opening
    EXPECT_EQ(port.write(std::string("RR")), 2u);
}

TEST(SimPortFaults, vanishedPortFailsEveryCallAndCannotBeOpenedAgain) {
    VirtualClock clock;
    SimModule module;
    SimPort port(module, clock);
    port.setFaults({.vanishesAtByte = 2});
    port.open("sim");
    port.write(std::string("R"));
    EXPECT_THROW(port.write(std::string("R")), PortError);
    EXPECT_THROW(port.setRts(true), PortError);
    EXPECT_THROW(port.purge(true, true), PortError);
    std::uint8_t b = 0;
    EXPECT_THROW(port.readAvailable({&b, 1}), PortError);
    EXPECT_THROW(port.waitReadable(1s), PortError);
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_THROW(port.open("sim"), PortError);
    port.setFaults({}); // plugged in again
    port.open("sim");
    EXPECT_TRUE(port.isOpen());
}

TEST(SimSetupState, freshModuleIsCreatedWhenTheFileIsMissing) {
    const fs::path path = fs::temp_directory_path() / "qvprog_sim_fresh.json";
    fs::remove(path);
    std::string error;
    SimPortSpec spec;
    spec.statePath = path.string();
    auto setup = SimSetup::create(spec, error);
    ASSERT_TRUE(setup) << error;
    EXPECT_TRUE(setup->module().memory().configured);
    EXPECT_EQ(setup->module().memory().password, "");
    ASSERT_TRUE(setup->saveState(error)) << error;
    EXPECT_TRUE(fs::exists(path));
    fs::remove(path);
}

} // namespace
} // namespace qv
