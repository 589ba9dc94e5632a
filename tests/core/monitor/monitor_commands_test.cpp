#include "monitor/monitor_commands.hpp"
#include "monitor/monitor_model.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(MonitorCommands, ClockCommandText) {
    EXPECT_EQ(clockCommandText({2026, 12, 7, 14, 5, 9, 0}), "AT+CCLK=\"26/12/07,14:05:09+00\"");
    EXPECT_EQ(clockCommandText({2027, 2, 1, 9, 3, 4, 0}), "AT+CCLK=\"27/02/01,09:03:04+00\"");
    EXPECT_EQ(clockSyncCommands({2027, 2, 1, 9, 3, 4, 0}).back(), "AT+0");
}

TEST(MonitorCommands, RestartPulsesResetLineAndKeepsHistoryValues) {
    for (const bool reverse : {false, true}) {
        VirtualClock clock;
        MonitorModel model(clock);
        model.displayReset();
        model.receive(
            "AT+QVXR=F1\r\nAT+QVXS=0;7A;7D;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;FFF6;0;0;0;2\r\n");
        std::vector<std::pair<bool, Clock::TimePoint>> rts;
        restartModule(model, clock, reverse,
                      [&](bool level) { rts.emplace_back(level, clock.now()); });
        ASSERT_EQ(rts.size(), 2u);
        EXPECT_EQ(rts[0].first, !reverse);
        EXPECT_EQ(rts[1].first, reverse);
        EXPECT_EQ(rts[1].second - rts[0].second, std::chrono::milliseconds(500));
        EXPECT_EQ(model.receivedCount(), 0);
        EXPECT_EQ(model.statusBarText(), " Odebrano: 0");
        EXPECT_EQ(model.value(MonitorValue::ResetCause).text, "Watchdog");
        EXPECT_EQ(model.value(MonitorValue::TLevel1).text, "-1.0 C");
        EXPECT_EQ(model.value(MonitorValue::Line).text, "Podniesiona");
        EXPECT_EQ(model.value(MonitorValue::Ac).text, "?");
        EXPECT_FALSE(model.clockSyncEnabled());
    }
}

} // namespace
} // namespace qv
