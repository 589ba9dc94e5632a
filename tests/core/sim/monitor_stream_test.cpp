#include "sim/monitor_stream.hpp"

#include "monitor/monitor_commands.hpp"
#include "monitor/monitor_model.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"
#include "sim/sim_setup.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

using namespace std::chrono_literals;

TEST(MonitorStream, SameBytesWhateverTheCallPattern) {
    sim::MonitorStream whole, pieces;
    const std::string all = whole.advanceTo(100s);
    std::string joined;
    for (int ms = 0; ms <= 100000; ms += 137)
        joined += pieces.advanceTo(std::chrono::milliseconds(ms));
    joined += pieces.advanceTo(100s);
    EXPECT_EQ(joined, all);
    EXPECT_EQ(pieces.advanceTo(50s), ""); // time never runs back
}

TEST(MonitorStream, DrivesTheMonitorToALiveModule) {
    VirtualClock clock;
    MonitorModel model(clock);
    model.displayReset();
    sim::MonitorStream::Options o;
    o.eventPosition = 3;
    sim::MonitorStream stream(o);
    model.receive(stream.advanceTo(60s));
    EXPECT_EQ(model.value(MonitorValue::ResetCause).text, "Podłączenie zasilania");
    EXPECT_EQ(model.value(MonitorValue::Sim).text, "OK");
    EXPECT_EQ(model.value(MonitorValue::Creg).text, "Połączony");
    EXPECT_EQ(model.value(MonitorValue::DateTime).text, "2024/05/17,12:34:58");
    EXPECT_EQ(model.value(MonitorValue::Line).text, "Opuszczona");
    EXPECT_EQ(model.value(MonitorValue::TLevel2).text, "-1.0 C");
    EXPECT_EQ(model.events().size(), 2u); // inputs change every 23 s
    EXPECT_EQ(model.historyUsage().value, 5);
    EXPECT_EQ(model.events()[0].substr(0, 20), "2024-05-17 12:35:19 ");
    for (const auto& in : model.inputs())
        EXPECT_NE(in.light, InputLight::Unknown);
}

TEST(MonitorStream, SimulatedModuleStreamsRestartsAndTakesTheClock) {
    VirtualClock clock({2026, 12, 7, 14, 5, 9, 0});
    SimModule module;
    module.setApplicationStream(sim::makeMonitorApplicationStream());
    SimPort port(module, clock);
    port.open("sim");
    port.setRts(resetLineReleasedRts(false));
    MonitorModel model(clock);
    model.displayReset();
    auto pump = [&](Clock::Duration span) {
        const auto end = clock.now() + span;
        std::uint8_t buf[1000];
        while (clock.now() < end) {
            if (port.waitReadable(end - clock.now()))
                model.receive(std::span<const std::uint8_t>(buf, port.readAvailable(buf)));
        }
    };
    pump(10s);
    EXPECT_EQ(model.value(MonitorValue::ResetCause).text, "Podłączenie zasilania");
    EXPECT_TRUE(model.clockSyncEnabled());

    module.clearReceivedLog();
    synchronizeClock(port, clock, clock.localTime());
    EXPECT_EQ(module.receivedLog(), "AT+1\r\nAT+CCLK=\"26/12/07,14:05:19+00\"\r\nAT+1\r\nAT+0\r\n");
    pump(65s);
    EXPECT_EQ(model.value(MonitorValue::DateTime).text.substr(0, 13), "2026/12/07,14");

    restartModule(model, port, clock, false);
    EXPECT_EQ(model.receivedCount(), 0);
    pump(10s);
    EXPECT_EQ(model.value(MonitorValue::ResetCause).text, "Reset zewnętrzny");
    EXPECT_EQ(model.resetsHistory().size(), 2u);
}

} // namespace
} // namespace qv

namespace qv {
namespace {

TEST(MonitorStream, TheModuleCanBeToldToLoseItsMainsAndRaiseAnInput) {
    using namespace std::chrono_literals;
    std::string error;
    const auto spec = parseSimPortSpec("sim:acloss=20,inputalarm=30,changes=0", error);
    ASSERT_TRUE(spec) << error;
    EXPECT_EQ(spec->mainsLossSecond, 20);
    EXPECT_EQ(spec->inputAlarmSecond, 30);
    EXPECT_EQ(spec->inputChangeSeconds, 0);
    for (const char* bad : {"sim:acloss=0", "sim:inputalarm=x", "sim:changes=-1", "sim:acloss"})
        EXPECT_FALSE(parseSimPortSpec(bad, error)) << bad;

    sim::MonitorStream::Options o;
    o.mainsLossSecond = spec->mainsLossSecond;
    o.inputAlarmSecond = spec->inputAlarmSecond;
    o.inputChangeSeconds = spec->inputChangeSeconds;
    sim::MonitorStream stream(o);
    VirtualClock clock;
    MonitorModel model(clock);
    model.displayReset();
    std::vector<double> battery;
    model.setSampleListener([&](const StatusSample& s) {
        battery.push_back(s.values[static_cast<std::size_t>(TrendSeries::Accu)] / 10.0);
    });
    model.receive(stream.advanceTo(19s));
    EXPECT_EQ(model.inputs()[1].light, InputLight::NoAlarm);
    EXPECT_TRUE(model.events().empty()); // no random changes
    model.receive(stream.advanceTo(35s));
    EXPECT_EQ(model.inputs()[1].light, InputLight::Alarm); // mains
    EXPECT_EQ(model.inputs()[5].light, InputLight::Alarm); // "We 2"
    EXPECT_EQ(model.outputs()[0].contact, OutputContact::Closed);
    ASSERT_EQ(model.events().size(), 2u);
    EXPECT_NE(model.events()[0].find("AC - ALARM"), std::string::npos);
    EXPECT_NE(model.events()[1].find("WE 2 - ALARM"), std::string::npos);
    model.receive(stream.advanceTo(400s));
    EXPECT_EQ(model.inputs()[5].light, InputLight::NoAlarm); // back after 60 s
    EXPECT_NE(model.events()[2].find("WE 2 - POWRÓT"), std::string::npos);
    EXPECT_EQ(model.value(MonitorValue::Ac).text.substr(0, 2), "0.");
    // The battery runs down from about 13.5 V to about 10.5 V.
    EXPECT_GE(battery.at(15), 13.4);
    EXPECT_LE(battery.back(), 10.7);
    EXPECT_GE(battery.back(), 10.5);
}

} // namespace
} // namespace qv
