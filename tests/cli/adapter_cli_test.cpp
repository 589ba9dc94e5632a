// qvprog-cli adapter and the slow-adapter hint of the device commands, on the simulated module
// whose adapter holds every byte (sim:latency=MS, on the virtual clock).
#include "cli/cli_helpers.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

using test::runCli;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(AdapterCli, DescribesTheAdapterAndMeasuresTheRoundTrip) {
    const auto slow = runCli("adapter sim:latency=16");
    EXPECT_EQ(slow.exitCode, 0) << slow.err;
    EXPECT_TRUE(has(slow.out, "Port: sim:latency=16\nSterownik: symulator\n"
                              "USB: 0403:6001 (FTDI), moduł symulowany\n"
                              "Opóźnienie (latency timer): 16 ms"))
        << slow.out;
    EXPECT_TRUE(has(slow.out, "Koniec.\n")); // the identification session's log
    EXPECT_TRUE(has(slow.out, "Czas odpowiedzi modułu: 16.4 ms (łącze potrzebuje 0.2 ms)\n"))
        << slow.out;
    EXPECT_TRUE(has(slow.out, "W tym tempie zapis konfiguracji (5120 bajtów) potrwa około"));

    const auto fast = runCli("adapter sim");
    EXPECT_EQ(fast.exitCode, 0);
    EXPECT_TRUE(has(fast.out, "Czas odpowiedzi modułu: 0.4 ms")) << fast.out;
    EXPECT_FALSE(has(fast.out, "Uwaga"));
}

TEST(AdapterCli, LowLatencySetsTheTimerInsteadOfMeasuring) {
    const auto r = runCli("adapter sim:latency=16 --low-latency");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(has(r.out, "Opóźnienie adaptera symulowanego: było 16 ms, ustawiono 1 ms.\n"));
    EXPECT_FALSE(has(r.out, "Proszę czekać"));
}

TEST(AdapterCli, UsageErrors) {
    EXPECT_EQ(runCli("adapter").exitCode, 2);
    EXPECT_EQ(runCli("adapter sim sim").exitCode, 2);
    EXPECT_EQ(runCli("adapter sim --port sim").exitCode, 2);
    const auto misplaced = runCli("identify --port sim --low-latency");
    EXPECT_EQ(misplaced.exitCode, 2);
    EXPECT_TRUE(has(misplaced.err, "--low-latency")) << misplaced.err;
    EXPECT_EQ(runCli("adapter sim:latency=0").exitCode, 2);
}

TEST(AdapterCli, ASlowSessionTellsOnceOnStandardErrorAndKeepsItsLog) {
    const std::string dir = test::scratchDir("adapter-cli");
    const auto slow = runCli("read " + dir + "/slow.qvx --port sim:latency=16");
    const auto fast = runCli("read " + dir + "/fast.qvx --port sim:latency=1");
    ASSERT_EQ(slow.exitCode, 0) << slow.err;
    ASSERT_EQ(fast.exitCode, 0) << fast.err;
    EXPECT_EQ(slow.out, fast.out); // the log lines, unchanged
    const std::string hint = "Uwaga: wolny adapter USB";
    ASSERT_TRUE(has(slow.err, hint)) << slow.err;
    EXPECT_EQ(slow.err.find(hint), slow.err.rfind(hint)); // once
    EXPECT_TRUE(has(slow.err, "Poprawka: moduł symulowany z opcją latency=1."));
    EXPECT_FALSE(has(fast.err, hint)) << fast.err;
}

} // namespace
} // namespace qv
