// What a session reports besides the exchange itself: the line events the port noticed, and
// how long it has been waiting for a module that does not answer.
#include "support/sim_session.hpp"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

TEST(SessionReports, lineEventsAreLoggedAndChangeNothing) {
    for (const auto& [fault, line] :
         {std::pair{&SimPortFaults::breakOnRelease, "BREAK!!!"},
          std::pair{&SimPortFaults::rx80FullOnRelease, "Rx80FULL!!!"}}) {
        SimSession s;
        SimPortFaults f;
        f.*fault = true;
        s.port.setFaults(f);
        EXPECT_EQ(s.run(LinkMode::identify), 1);
        // The module is let out of reset three times: twice in the handshake, once at the end.
        EXPECT_EQ(s.obs.count(line), 3) << line;
        EXPECT_TRUE(s.obs.has("Koniec."));
        EXPECT_EQ(s.module.receivedLog(), "R>");
    }
    SimSession quiet;
    EXPECT_EQ(quiet.run(LinkMode::readConfig), 1);
    EXPECT_EQ(quiet.obs.count("BREAK!!!") + quiet.obs.count("Rx80FULL!!!"), 0);
}

TEST(SessionReports, theLinkPortKeepsAtMostItsBufferOfReceivedBytes) {
    SimSession s;
    EXPECT_EQ(s.run(LinkMode::identify), 1);
    EXPECT_EQ(s.port.readBufferSize(), 10240u);
}

TEST(SessionReports, aSilentModuleShowsHowLongTheWaitHasLasted) {
    SimOptions o;
    o.faults.silent = true;
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::readConfig), -1);
    ASSERT_FALSE(s.obs.waits.empty());
    // From the first second on, every 100 ms, up to the 10 s limit; then the wait ends.
    EXPECT_EQ(s.obs.waits.front(), (std::pair{1000, 10000}));
    EXPECT_EQ(s.obs.waits.back(), (std::pair{10000, 10000}));
    EXPECT_EQ(s.obs.waits.size(), 91u);
    for (std::size_t k = 1; k < s.obs.waits.size(); ++k)
        EXPECT_EQ(s.obs.waits[k].first - s.obs.waits[k - 1].first, 100);
    EXPECT_EQ(s.obs.waitsEnded, 1);
    EXPECT_EQ(s.obs.lines.back(), "Brak odpowiedzi po restarcie !"); // the texts stay
}

TEST(SessionReports, aModuleThatAnswersAtOnceShowsNoWait) {
    SimSession s;
    EXPECT_EQ(s.run(LinkMode::readConfig), 1);
    EXPECT_TRUE(s.obs.waits.empty());
    EXPECT_EQ(s.obs.waitsEnded, 0);
}

TEST(SessionReports, waitingTextCountsWholeSeconds) {
    EXPECT_EQ(waitingText(3400, 10000), "Oczekiwanie na odpowiedź urządzenia: 3 s z 10 s");
    EXPECT_EQ(waitingText(1000, 5000), "Oczekiwanie na odpowiedź urządzenia: 1 s z 5 s");
    EXPECT_EQ(waitingText(0, 800), "Oczekiwanie na odpowiedź urządzenia: 0 s z 1 s");
}

} // namespace
} // namespace qv::test
