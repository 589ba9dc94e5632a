// Random input must never crash the monitor or the history code, nor reach outside a buffer
// (the sanitizer build checks the latter).
#include "monitor/event_history.hpp"
#include "monitor/monitor_model.hpp"
#include "sim/monitor_stream.hpp"

#include <gtest/gtest.h>

#include <random>

namespace qv {
namespace {

TEST(MonitorFuzz, RandomBytesAndMutatedLinesKeepTheModelSound) {
    std::mt19937 rng(20261208);
    VirtualClock clock;
    MonitorModel model(clock);
    model.displayReset();
    sim::MonitorStream stream;
    const std::string real = stream.advanceTo(std::chrono::seconds(120));
    const std::string alphabet = "AT+QVXSRH=0123456789ABCDEFabcdef;\" \r\n\x04-!>CPINREADY";

    for (int round = 0; round < 2000; ++round) {
        std::string batch;
        const int kind = round % 3;
        const std::size_t len = rng() % 1500;
        for (std::size_t i = 0; i < len; ++i) {
            if (kind == 0)
                batch.push_back(static_cast<char>(rng() & 0xFF));
            else if (kind == 1)
                batch.push_back(alphabet[rng() % alphabet.size()]);
            else {
                const char c = real[(round * 131 + i) % real.size()];
                batch.push_back(rng() % 20 == 0 ? static_cast<char>(rng() & 0xFF) : c);
            }
        }
        model.receive(batch);
        if (round % 7 == 0) model.tick();
        if (round % 500 == 0) model.displayReset();
        for (const auto& e : model.takeEffects())
            if (e.kind == MonitorEffectKind::SilenceMessage) model.silenceMessageDismissed();
        ASSERT_GE(model.historyUsage().value, 0);
        ASSERT_LE(model.historyUsage().value, 199);
        ASSERT_GE(model.signalGauge().value, 0);
        ASSERT_LE(model.signalGauge().value, 31);
        ASSERT_LE(model.lineLog().size(), 1000u);
    }
    EXPECT_LE(model.byteLog().size(), 4096u);
}

TEST(MonitorFuzz, RandomEventBuffersFillAndSort) {
    std::mt19937 rng(42);
    std::vector<std::uint8_t> buffer(kEventBufferBytes);
    HistoryTable table;
    for (int round = 0; round < 200; ++round) {
        for (auto& b : buffer)
            b = static_cast<std::uint8_t>(rng() & 0xFF);
        table.fill(buffer, static_cast<int>(rng() % 512) - 100);
        table.sortByTime();
        for (std::size_t r = 1; r < table.rows.size(); ++r)
            ASSERT_LE(table.rows[r - 1].time, table.rows[r].time);
        const auto lines = historyFileLines(table, "?", "?", {});
        ASSERT_EQ(lines.size(), 207u);
    }
    // Short buffers are treated as empty slots rather than read past their end.
    table.fill(std::span<const std::uint8_t>(buffer.data(), 100), 3);
    EXPECT_TRUE(table.rows[199].cells[1].empty());
}

} // namespace
} // namespace qv
