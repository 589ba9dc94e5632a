// Whatever a module sends, a session ends cleanly with a result and the port closed.
#include "support/sim_session.hpp"

#include "link/identification.hpp"

#include <gtest/gtest.h>

#include <random>

namespace qv::test {
namespace {

TEST(HostileModule, randomIdentificationAnswersNeverBreakTheSession) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 60), pick(0, 9);
    for (int round = 0; round < 150; ++round) {
        std::string id;
        const int n = length(rng);
        for (int k = 0; k < n; ++k)
            id.push_back(static_cast<char>(pick(rng) < 2 ? '/' : byte(rng)));
        SimOptions o;
        o.identification = id;
        SimSession s(o);
        const auto mode = round % 2 ? LinkMode::readConfig : LinkMode::writeCounters;
        SessionRequest r;
        r.mode = mode;
        r.portName = "sim";
        r.counterTexts = {"1", "2", "3", "4", "5"};
        const int result = s.run(r);
        EXPECT_TRUE(result == 1 || result == -1);
        EXPECT_FALSE(s.port.isOpen());
        EXPECT_EQ(s.obs.ended, 1);
        const DeviceIdentity parsed = parseIdentification(filterIdentification(id));
        EXPECT_GE(parsed.platform, -1);
        EXPECT_LE(parsed.platform, 99);
    }
}

TEST(HostileModule, identificationFieldsAndNumbers) {
    const auto one = parseIdentification("XB");
    EXPECT_EQ(one.magicChar, "XB");
    EXPECT_EQ(one.modelString, "XB"); // fewer than three fields: the whole text
    EXPECT_EQ(one.firmwareVersion, -1);
    const auto noUnderscore = parseIdentification("X/B/0412/ab99");
    EXPECT_EQ(noUnderscore.modelName, "");
    EXPECT_EQ(noUnderscore.firmwareVersion, 4);
    EXPECT_EQ(noUnderscore.subVersion, 12);
    EXPECT_EQ(noUnderscore.platform, 99);
    const auto shortVersion = parseIdentification("X/B/N_5/239");
    EXPECT_EQ(shortVersion.firmwareVersion, -1);
    EXPECT_EQ(shortVersion.platform, -1);
}

TEST(HostileModule, unknownModeIsRefusedBeforeThePortOpens) {
    SimSession s;
    EXPECT_EQ(s.run(static_cast<LinkMode>(1)), -1);
    EXPECT_EQ(s.obs.lines.back(), "Nieznany tryb transmisji: 1");
    EXPECT_EQ(s.module.receivedLog(), "");
}

} // namespace
} // namespace qv::test
