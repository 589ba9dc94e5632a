// The simulated module that stores one configuration byte wrongly.
#include "sim/sim_setup.hpp"
#include "support/sim_session.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(SimCorrupt, AWriteIsEchoedRightButOneByteIsStoredWrongly) {
    SimOptions options;
    options.faults.corruptOffset = 156;
    test::SimSession sim(options);
    for (std::size_t k = 0; k < ConfigImage::kSize; ++k)
        sim.session.configImage()[k] = static_cast<std::uint8_t>(k * 7);
    sim.session.configImage().putTextField("", memmap::oPASSWORD, memmap::wPASSWORD);
    const ConfigImage sent = sim.session.configImage();
    ASSERT_EQ(sim.run(LinkMode::writeConfig), 1); // the echo check passes
    const ConfigImage& stored = sim.module.memory().image;
    for (std::size_t k = 0; k < ConfigImage::kSize; ++k)
        EXPECT_EQ(stored[k], k == 156 ? static_cast<std::uint8_t>(~sent[k]) : sent[k]) << k;
    ASSERT_EQ(sim.run(LinkMode::readConfig), 1);
    EXPECT_EQ(sim.session.configImage()[156], static_cast<std::uint8_t>(~sent[156]));
}

TEST(SimCorrupt, ThePortOptionTakesAnImageOffset) {
    std::string error;
    const auto first = parseSimPortSpec("sim:corrupt=0", error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->options.faults.corruptOffset, 0);
    const auto last = parseSimPortSpec("sim:state=x.json,corrupt=5119", error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->options.faults.corruptOffset, 5119);
    EXPECT_EQ(parseSimPortSpec("sim", error)->options.faults.corruptOffset, -1);
    for (const char* bad :
         {"sim:corrupt=5120", "sim:corrupt=-1", "sim:corrupt=", "sim:corrupt", "sim:corrupt=1x"})
        EXPECT_FALSE(parseSimPortSpec(bad, error)) << bad;
}

} // namespace
} // namespace qv
