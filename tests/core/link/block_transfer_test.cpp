#include "support/sim_session.hpp"

#include "config/memmap.hpp"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

using Lines = std::vector<std::string>;

ConfigImage patternImage() {
    ConfigImage image;
    for (std::size_t k = 0; k < image.size(); ++k)
        image[k] = static_cast<std::uint8_t>(k * 7 + 1);
    image.putTextField("2025-03-04 05:06:07", memmap::oPROG_DATE, memmap::wPROG_DATE);
    image.putTextField("biuro.qvx", memmap::oFILE_NAME, memmap::wFILE_NAME);
    image.putTextField("ab", memmap::oPASSWORD, memmap::wPASSWORD);
    return image;
}

TEST(BlockTransfer, writeThenReadRoundTripsTheImageWithThePasswordOnTheWire) {
    SimSession s;
    s.session.configImage() = patternImage();
    EXPECT_EQ(s.run(LinkMode::writeConfig), 1);
    EXPECT_EQ(s.linesFrom("Zapis konfiguracji"),
              (Lines{"Zapis konfiguracji", "Start", "Hasło poprawne", "Wysyłam konfigurację",
                     "Zapisano poprawnie 5120bajtów"}));
    EXPECT_EQ(s.obs.gaugeMax, 5120);
    EXPECT_EQ(s.obs.gauge, 5120);
    EXPECT_EQ(s.module.memory().image, patternImage());
    // The written image's password is now the module's.
    EXPECT_EQ(s.module.memory().password, "ab");

    s.session.configImage() = ConfigImage();
    EXPECT_EQ(s.run(LinkMode::readConfig, "ab"), 1);
    // Command byte and password with no length or terminator, then the block.
    EXPECT_EQ(s.module.receivedLog().substr(0, 5), std::string("R>\x0F"
                                                               "ab"));
    EXPECT_EQ(s.module.receivedLog().size(), 5u + 5120u);
    EXPECT_EQ(s.session.configImage(), patternImage());
    EXPECT_EQ(s.linesFrom("Odczytano 5120bajtów"),
              (Lines{"Odczytano 5120bajtów", "Data programowania urządzenia: 2025-03-04 05:06:07",
                     "Nazwa pliku konfiguracji: biuro.qvx"}));
}

TEST(BlockTransfer, emptyPasswordSendsTheCommandByteAlone) {
    SimSession s;
    EXPECT_EQ(s.run(LinkMode::readEvents), 1);
    EXPECT_EQ(s.module.receivedLog().substr(0, 3), "R>f");
    EXPECT_EQ(s.module.receivedLog().size(), 3u + 8000u);
}

TEST(BlockTransfer, wrongPasswordIsRefused) {
    SimSession s;
    s.module.memory().password = "1234";
    const ConfigImage before = s.session.configImage();
    EXPECT_EQ(s.run(LinkMode::readConfig, "9999"), -1);
    EXPECT_EQ(s.obs.lines.back(), "Hasło niepoprawne.");
    EXPECT_EQ(s.session.configImage(), before);
    EXPECT_EQ(s.run(LinkMode::readConfig, "1234"), 1);
}

TEST(BlockTransfer, readsNeedAConfiguredModuleWritesDoNot) {
    SimMemory memory = SimMemory::fresh();
    memory.configured = false;
    SimOptions phoneBaseFirmware;
    phoneBaseFirmware.identification = "X/B/NAME_0504/2392123";
    SimSession s(phoneBaseFirmware, memory);
    for (auto mode : {LinkMode::readConfig, LinkMode::readEvents, LinkMode::readPhoneBase}) {
        EXPECT_EQ(s.run(mode), -1);
        const Lines tail(s.obs.lines.end() - 2, s.obs.lines.end());
        EXPECT_EQ(tail, (Lines{"Pusta konfiguracja/historia modułu - nie można jej odczytać !",
                               "Podpowiedź: Moduł należy najpierw zaprogramować, by mógł być "
                               "odczytywany."}));
    }
    EXPECT_EQ(s.run(LinkMode::writeConfig), 1);
    EXPECT_TRUE(s.module.memory().configured);
}

TEST(BlockTransfer, noEtxIsBootloaderExitError) {
    SimOptions o;
    o.faults.noEtx = true;
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::readConfig), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błąd wyjścia z bootloadera!");
    EXPECT_EQ(s.run(LinkMode::erasePassword), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błąd wyjścia z bootloadera!!!");
    EXPECT_EQ(s.run(LinkMode::readCounters), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błąd wyjścia z bootloadera!!!");
}

TEST(BlockTransfer, noPasswordAnswerIsWrongPassword) {
    SimOptions o;
    o.faults.deaf = true;
    SimSession s(o);
    EXPECT_EQ(s.run(LinkMode::writeConfig), -1);
    EXPECT_EQ(s.obs.lines.back(), "Hasło niepoprawne.");
}

TEST(BlockTransfer, oneLateEchoGivesOneTrickAndNoErrorWhenVerifying) {
    SimOptions o;
    o.faults.lateByte = 100;
    SimSession s(o);
    s.session.configImage() = patternImage();
    EXPECT_EQ(s.run(LinkMode::writeConfig), 1);
    EXPECT_EQ(s.obs.count("Trick @ "), 1);
    EXPECT_TRUE(s.obs.has("Trick @ 101"));
    EXPECT_EQ(s.obs.lines.back(), "Zapisano poprawnie 5120bajtów");
    EXPECT_EQ(s.module.memory().image, patternImage());
}

TEST(BlockTransfer, lateAnswerInAReadStillLandsAtItsOwnIndex) {
    SimOptions o;
    o.faults.lateByte = 5120; // even the very last byte
    SimMemory memory = SimMemory::fresh();
    memory.image = patternImage();
    SimSession s(o, memory);
    EXPECT_EQ(s.run(LinkMode::readConfig, "ab"), 1);
    EXPECT_TRUE(s.obs.has("Trick @ 5121"));
    EXPECT_EQ(s.session.configImage(), patternImage());

    s.module.options().faults.lateByte = 17;
    s.session.configImage() = ConfigImage();
    EXPECT_EQ(s.run(LinkMode::readConfig, "ab"), 1);
    EXPECT_EQ(s.session.configImage(), patternImage());
}

TEST(BlockTransfer, wrongEchoFailsOnlyWhenVerifying) {
    SimOptions o;
    o.faults.badEchoByte = 3;
    SimSession s(o);
    s.session.configImage() = patternImage();
    EXPECT_EQ(s.run(LinkMode::writeConfig), -1);
    const std::uint8_t sent = patternImage()[2];
    const int echoed = static_cast<std::uint8_t>(~sent);
    EXPECT_EQ(s.obs.lines.back(), "Błąd transmisji - spróbuj jeszcze raz. [" +
                                      std::to_string(echoed) + "!=" + std::to_string(sent) + "@3]");

    SessionRequest r;
    r.mode = LinkMode::writeConfig;
    r.portName = "sim";
    r.verify = false;
    EXPECT_EQ(s.run(r), 1);
}

TEST(BlockTransfer, stoppedTransferTimesOutAndAFailedReadKeepsTheOldData) {
    SimOptions o;
    o.faults.stopAtByte = 2000;
    SimSession s(o);
    s.session.configImage() = patternImage();
    const auto start = s.clock.now();
    EXPECT_EQ(s.run(LinkMode::readConfig), -1);
    const Lines tail(s.obs.lines.end() - 2, s.obs.lines.end());
    EXPECT_EQ(tail, (Lines{"Trick @ 2001", "Timeout podczas transmisji!!!"}));
    EXPECT_EQ(s.session.configImage(), patternImage());
    EXPECT_LT(s.clock.now() - start, std::chrono::seconds(9));

    const auto events = s.session.eventBuffer();
    EXPECT_EQ(s.run(LinkMode::readEvents), -1);
    EXPECT_EQ(s.session.eventBuffer(), events);
}

TEST(BlockTransfer, eventReadFillsTheEventBufferAndLeavesTheImageAlone) {
    SimSession s;
    s.session.configImage() = patternImage();
    EXPECT_EQ(s.run(LinkMode::readEvents), 1);
    EXPECT_EQ(s.obs.lines.back(), "Odczytano 8000bajtów");
    EXPECT_EQ(s.session.eventBuffer(), s.module.memory().events);
    EXPECT_EQ(s.session.statusBytes().eventPosition, 3);
    EXPECT_EQ(s.session.statusBytes().configFlag, 'V');
    EXPECT_EQ(s.session.configImage(), patternImage());
}

TEST(BlockTransfer, phoneBaseWriteAndReadOnPhoneBaseFirmware) {
    SimOptions o;
    o.identification = "X/B/NAME_0504/2392123";
    SimSession s(o);
    auto& base = s.session.phoneBase();
    for (std::size_t k = 0; k < base.size(); ++k)
        base[k] = static_cast<std::uint8_t>(k % 251);
    const auto written = base;
    EXPECT_EQ(s.run(LinkMode::writePhoneBase), 1);
    EXPECT_EQ(s.obs.lines.back(), "Zapisano poprawnie 32300bajtów");
    std::fill(base.begin(), base.end(), 0);
    EXPECT_EQ(s.run(LinkMode::readPhoneBase), 1);
    EXPECT_TRUE(s.obs.has("Czytam 4000 numerów telefonów"));
    EXPECT_EQ(s.session.phoneBase(), written);
}

TEST(BlockTransfer, transferLongerThanItsBufferIsRefusedBeforeThePortOpens) {
    SimSession s;
    SessionRequest r;
    r.mode = LinkMode::readConfig;
    r.portName = "sim";
    r.transferLength = 5121;
    EXPECT_EQ(s.run(r), -1);
    EXPECT_EQ(s.module.receivedLog(), "");
    EXPECT_EQ(s.obs.lines.back(), "Nieprawidłowa długość transferu: 5121");
}

TEST(EraseSession, erasesPasswordConfigurationAndEvents) {
    SimSession s;
    s.module.memory().password = "77";
    EXPECT_EQ(s.run(LinkMode::erasePassword), 1);
    EXPECT_EQ(s.linesFrom("Kasowanie hasła i konfiguracji"),
              (Lines{"Kasowanie hasła i konfiguracji", "Hasło zostało skasowane..."}));
    EXPECT_EQ(s.module.receivedLog(), "R>\xCC");
    EXPECT_EQ(s.module.memory().password, "");
    EXPECT_FALSE(s.module.memory().configured);
    EXPECT_EQ(s.run(LinkMode::readConfig), -1);

    s.module.options().faults.deaf = true;
    EXPECT_EQ(s.run(LinkMode::erasePassword), -1);
    EXPECT_EQ(s.obs.lines.back(), "Błąd kasowania hasła z urządzenia!!!");
}

} // namespace
} // namespace qv::test
