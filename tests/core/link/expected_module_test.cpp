// A session that means one module refuses another that answers on the port, before any byte
// of its operation reaches it.
#include "link/identification.hpp"
#include "support/sim_session.hpp"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

TEST(ExpectedModule, OnlyTheMeantModuleTakesTheOperation) {
    const std::string refusedWrite = "Odpowiedział moduł o numerze seryjnym 2392123, a nie "
                                     "2390000: konfiguracja nie została wysłana.";
    const struct {
        LinkMode mode;
        const char* expected;
        int result;
        const char* refusal; // nullptr: none
    } cases[] = {
        {LinkMode::writeConfig, "", 1, nullptr},
        {LinkMode::writeConfig, "2392123", 1, nullptr},
        {LinkMode::writeConfig, "2390000", -1, refusedWrite.c_str()},
        {LinkMode::writeConfig, "239212", -1, nullptr}, // a prefix is another module
        {LinkMode::readConfig, "2390000", -1,
         "Odpowiedział moduł o numerze seryjnym 2392123, a nie 2390000: polecenie nie zostało "
         "wykonane."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.expected) + " mode " + std::to_string(int(c.mode)));
        SimSession s;
        ConfigImage image;
        image.putTextField("Nowy obiekt", memmap::oOBJECT_NAME, 64);
        s.session.configImage() = image;
        const auto before = s.module.memory().image;
        SessionRequest r;
        r.mode = c.mode;
        r.portName = "sim";
        r.expectedSerial = c.expected;
        EXPECT_EQ(s.run(r), c.result);
        if (c.result == 1) {
            EXPECT_TRUE(s.obs.boxes.empty());
            continue;
        }
        // Only the identification was asked for: no ">" and no command byte went out, the
        // module keeps what it held and is let out of reset.
        EXPECT_EQ(s.module.receivedLog(), "R");
        EXPECT_EQ(s.module.memory().image, before);
        EXPECT_FALSE(s.port.isOpen());
        EXPECT_EQ(s.obs.ended, 1);
        if (c.refusal) {
            EXPECT_TRUE(s.obs.has(c.refusal));
            ASSERT_EQ(s.obs.boxes.size(), 1u);
            EXPECT_EQ(s.obs.boxes[0], c.refusal);
        }
    }
}

TEST(ExpectedModule, AModuleWithoutASerialNumberIsNamedSo) {
    SimOptions o;
    o.identification = "X/B/NAME_0503";
    SimSession s(o);
    SessionRequest r;
    r.mode = LinkMode::writeConfig;
    r.portName = "sim";
    r.expectedSerial = "2392123";
    EXPECT_EQ(s.run(r), -1);
    EXPECT_TRUE(s.obs.has("Odpowiedział moduł o numerze seryjnym (brak), a nie 2392123: "
                          "konfiguracja nie została wysłana."));
}

} // namespace
} // namespace qv::test
