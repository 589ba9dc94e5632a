// Linux adapters as sysfs shows them, on a fake tree laid out as the kernel lays out an FTDI
// adapter (ftdi_sio, latency_timer), a CP210x adapter (no timer) and a pseudo-terminal.
#include "platform/linux/modem_manager_advice.hpp"
#include "platform/linux/sysfs_adapter.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::string read(const fs::path& file) {
    std::ifstream in(file);
    std::string s;
    std::getline(in, s);
    return s;
}

class FakeSysfs : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("qvprog-sysfs-" + std::to_string(getpid()));
        fs::remove_all(root);
        // USB device 1-1 (FTDI), interface 1-1:1.0, its usb-serial port ttyUSB0.
        const fs::path usb = root / "devices/pci0000:00/usb1/1-1";
        write(usb / "idVendor", "0403\n");
        write(usb / "idProduct", "6001\n");
        write(usb / "product", "FT232R USB UART\n");
        const fs::path port = usb / "1-1:1.0/ttyUSB0";
        write(port / "latency_timer", "16\n");
        fs::create_directories(root / "bus/usb-serial/drivers/ftdi_sio");
        fs::create_directory_symlink(root / "bus/usb-serial/drivers/ftdi_sio", port / "driver");
        fs::create_directories(root / "class/tty/ttyUSB0");
        fs::create_directory_symlink("../../../devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0",
                                     root / "class/tty/ttyUSB0/device");
        // A CP210x: idVendor two levels up as well, but no latency timer.
        const fs::path cp = root / "devices/pci0000:00/usb1/1-2";
        write(cp / "idVendor", "10C4\n");
        write(cp / "idProduct", "ea60\n");
        fs::create_directories(cp / "1-2:1.0/ttyUSB1");
        fs::create_directories(root / "bus/usb-serial/drivers/cp210x");
        fs::create_directory_symlink(root / "bus/usb-serial/drivers/cp210x",
                                     cp / "1-2:1.0/ttyUSB1/driver");
        fs::create_directories(root / "class/tty/ttyUSB1");
        fs::create_directory_symlink(cp / "1-2:1.0/ttyUSB1", root / "class/tty/ttyUSB1/device");
        // A pseudo-terminal's tty has no device.
        fs::create_directories(root / "class/tty/ptmx");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(FakeSysfs, DescribesAnFtdiAdapter) {
    SysfsAdapterTuner tuner(root);
    const AdapterDescription d = tuner.describe("/dev/ttyUSB0");
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.system, AdapterSystem::sysfs);
    EXPECT_EQ(d.driver, "ftdi_sio");
    EXPECT_EQ(d.vendorId, "0403");
    EXPECT_EQ(d.productId, "6001");
    EXPECT_EQ(d.product, "FT232R USB UART");
    EXPECT_EQ(d.latencyTimerMs, 16);
    EXPECT_EQ(d.latencySetting, (root / "class/tty/ttyUSB0/device/latency_timer").string());
    EXPECT_TRUE(d.isFtdi());
    const auto lines = adapterDescriptionLines(d);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Sterownik: ftdi_sio");
    EXPECT_EQ(lines[2], "USB: 0403:6001 (FTDI), FT232R USB UART");
    EXPECT_EQ(lines[3], "Opóźnienie (latency timer): 16 ms (" + d.latencySetting + ")");
}

TEST_F(FakeSysfs, SetsTheTimerAndSaysWhatItFoundAndSet) {
    SysfsAdapterTuner tuner(root);
    const AdapterChange change = tuner.setLowLatency("/dev/ttyUSB0");
    EXPECT_EQ(change.outcome, AdapterChange::Outcome::done);
    ASSERT_EQ(change.lines.size(), 1u);
    EXPECT_EQ(change.lines[0], "latency_timer: było 16 ms, ustawiono 1 ms (" +
                                   (root / "class/tty/ttyUSB0/device/latency_timer").string() +
                                   ").");
    EXPECT_EQ(read(root / "class/tty/ttyUSB0/device/latency_timer"), "1");
    EXPECT_EQ(tuner.describe("/dev/ttyUSB0").latencyTimerMs, 1);
    // Asked again: nothing more to do.
    const AdapterChange again = tuner.setLowLatency("/dev/ttyUSB0");
    EXPECT_EQ(again.outcome, AdapterChange::Outcome::done);
    EXPECT_NE(again.lines[0].find("już najmniejsze"), std::string::npos);
}

TEST_F(FakeSysfs, ARefusedWriteGivesTheCommandForRoot) {
    // A file that cannot be written, whoever runs the test: a folder in its place.
    const fs::path timer = root / "class/tty/ttyUSB0/device/latency_timer";
    fs::remove(timer);
    fs::create_directory(timer);
    SysfsAdapterTuner tuner(root);
    const AdapterChange change = tuner.setLowLatency("/dev/ttyUSB0");
    EXPECT_EQ(change.outcome, AdapterChange::Outcome::needsAdministrator);
    ASSERT_EQ(change.lines.size(), 2u);
    EXPECT_EQ(change.lines[1], "Wykonaj jako root: echo 1 | sudo tee " + timer.string());
}

TEST_F(FakeSysfs, AdaptersWithoutATimerAndPortsWithoutAnAdapter) {
    SysfsAdapterTuner tuner(root);
    const AdapterDescription cp = tuner.describe("/dev/ttyUSB1");
    EXPECT_TRUE(cp.found);
    EXPECT_EQ(cp.driver, "cp210x");
    EXPECT_EQ(cp.vendorId, "10c4");
    EXPECT_FALSE(cp.latencyTimerMs);
    EXPECT_EQ(tuner.setLowLatency("/dev/ttyUSB1").outcome, AdapterChange::Outcome::notPossible);
    EXPECT_TRUE(lowLatencyCommand(cp).empty());

    const AdapterDescription pty = tuner.describe("/dev/ptmx");
    EXPECT_FALSE(pty.found);
    EXPECT_NE(pty.note.find("pseudoterminal"), std::string::npos);
    const AdapterDescription missing = tuner.describe("/dev/ttyUSB9");
    EXPECT_FALSE(missing.found);
    EXPECT_EQ(tuner.setLowLatency("/dev/ttyUSB9").outcome, AdapterChange::Outcome::notPossible);
    EXPECT_FALSE(tuner.describe("").found);
}

} // namespace
} // namespace qv

namespace qv {
namespace {

TEST(ModemManagerAdvice, NamesTheAdapterInTheUdevRuleWhenKnown) {
    struct Case {
        const char* vendor;
        const char* product;
        const char* rule;
        std::size_t lines;
    };
    for (const auto& c : {Case{"12d1", "1001",
                               "  ATTRS{idVendor}==\"12d1\", ATTRS{idProduct}==\"1001\", "
                               "ENV{ID_MM_DEVICE_IGNORE}=\"1\"",
                               5},
                          Case{"", "",
                               "  ATTRS{idVendor}==\"VVVV\", ATTRS{idProduct}==\"PPPP\", "
                               "ENV{ID_MM_DEVICE_IGNORE}=\"1\"",
                               6}}) {
        AdapterDescription a;
        a.vendorId = c.vendor;
        a.productId = c.product;
        const auto lines = modemManagerAdvice("/dev/ttyUSB2", a);
        ASSERT_EQ(lines.size(), c.lines);
        EXPECT_EQ(lines[0].find("ModemManager może zajmować port /dev/ttyUSB2"), 0u);
        EXPECT_NE(lines[1].find("sudo systemctl stop ModemManager"), std::string::npos);
        EXPECT_EQ(lines[3], c.rule);
    }
}

} // namespace
} // namespace qv
