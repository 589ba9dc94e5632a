// Linux's port list on a fake sysfs and /dev laid out as the kernel and udev lay them out: an
// FTDI adapter with its by-id link, a built-in UART, a serial-core port without a UART, a
// virtual terminal, CH340 adapters no driver serves; and adapters plugged in and pulled out
// while the list is watched.
#include "platform/linux/sysfs_catalog.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <unistd.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

class FakeTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("qvprog-ports-" + std::to_string(getpid()));
        fs::remove_all(root);
        sys = root / "sys";
        dev = root / "dev";
        fs::create_directories(dev);
        fs::create_directories(sys / "class/tty/tty0"); // a virtual terminal: no device
        addUart("ttyS0", "4");
        addUart("ttyS1", "0"); // no UART behind it
    }
    void TearDown() override { fs::remove_all(root); }

    void addUart(const std::string& name, const std::string& type) {
        const fs::path device = sys / "devices/platform/serial8250" / name;
        fs::create_directories(device);
        fs::create_directories(sys / "bus/platform/drivers/serial8250");
        fs::create_directory_symlink(sys / "bus/platform/drivers/serial8250", device / "driver");
        write(sys / "class/tty" / name / "type", type + "\n");
        fs::create_directory_symlink(device, sys / "class/tty" / name / "device");
        write(dev / name, "");
    }

    // USB device 1-<n> with an FTDI chip and its port ttyUSB<n>.
    void plugFtdi(int n) {
        const std::string usbName = "1-" + std::to_string(n);
        const std::string tty = "ttyUSB" + std::to_string(n);
        const fs::path usb = sys / "devices/pci0000:00/usb1" / usbName;
        write(usb / "idVendor", "0403\n");
        write(usb / "idProduct", "6001\n");
        write(usb / "manufacturer", "FTDI\n");
        write(usb / "product", "FT232R USB UART\n");
        write(usb / "serial", "A5028" + std::to_string(n) + "\n");
        const fs::path port = usb / (usbName + ":1.0") / tty;
        fs::create_directories(port);
        fs::create_directories(sys / "bus/usb-serial/drivers/ftdi_sio");
        fs::create_directory_symlink(sys / "bus/usb-serial/drivers/ftdi_sio", port / "driver");
        fs::create_directories(sys / "bus/usb/devices");
        fs::create_directory_symlink(usb, sys / "bus/usb/devices" / usbName);
        fs::create_directories(sys / "class/tty" / tty);
        fs::create_directory_symlink(port, sys / "class/tty" / tty / "device");
        write(dev / tty, "");
        fs::create_directories(dev / "serial/by-id");
        fs::create_symlink("../../" + tty, dev / "serial/by-id" /
                                               ("usb-FTDI_FT232R_USB_UART_A5028" +
                                                std::to_string(n) + "-if00-port0"));
    }
    void unplugFtdi(int n) {
        const std::string tty = "ttyUSB" + std::to_string(n);
        fs::remove(dev / tty);
        fs::remove_all(dev / "serial");
        fs::remove_all(sys / "class/tty" / tty);
        fs::remove(sys / "bus/usb/devices" / ("1-" + std::to_string(n)));
        fs::remove_all(sys / "devices/pci0000:00/usb1" / ("1-" + std::to_string(n)));
    }

    // A CH340 without a tty: no driver took its interface.
    void plugCh340(const std::string& usbName) {
        const fs::path usb = sys / "devices/pci0000:00/usb2" / usbName;
        write(usb / "idVendor", "1a86\n");
        write(usb / "idProduct", "7523\n");
        write(usb / "product", "USB Serial\n");
        fs::create_directories(usb / (usbName + ":1.0"));
        fs::create_directories(sys / "bus/usb/devices");
        fs::create_directory_symlink(usb, sys / "bus/usb/devices" / usbName);
        // The interface is listed there too; it has no idVendor.
        fs::create_directory_symlink(usb / (usbName + ":1.0"),
                                     sys / "bus/usb/devices" / (usbName + ":1.0"));
    }

    SysfsPortCatalog catalog() {
        return SysfsPortCatalog({sys, dev},
                                {std::chrono::milliseconds(20), std::chrono::milliseconds(300),
                                 std::chrono::milliseconds(100)});
    }

    fs::path root, sys, dev;
};

TEST_F(FakeTree, listsPortsWithTheirAdapters) {
    plugFtdi(0);
    fs::create_directories(sys / "class/tty/ttyUSB7/device"); // no node in /dev
    auto cat = catalog();
    const PortInventory inv = cat.inventory();
    ASSERT_EQ(inv.ports.size(), 2u);
    const PortEntry& uart = inv.ports[0];
    EXPECT_EQ(uart.name, (dev / "ttyS0").string());
    EXPECT_FALSE(uart.usbAdapter);
    EXPECT_EQ(uart.driver, "serial8250");
    const PortEntry& ftdi = inv.ports[1];
    EXPECT_EQ(ftdi.name, (dev / "ttyUSB0").string());
    EXPECT_EQ(ftdi.stableName,
              (dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50280-if00-port0").string());
    EXPECT_EQ(portEntryDescription(ftdi),
              "adapter FTDI FT232R (USB 0403:6001), producent FTDI, produkt FT232R USB UART, nr "
              "seryjny A50280, sterownik ftdi_sio");
    EXPECT_TRUE(inv.withoutDriver.empty());

    EXPECT_TRUE(cat.present((dev / "ttyUSB0").string()));
    EXPECT_TRUE(cat.present("ttyUSB0"));
    EXPECT_FALSE(cat.present((dev / "ttyUSB7").string()));
    EXPECT_FALSE(cat.present(""));
}

TEST_F(FakeTree, anAdapterNoDriverServesIsNamedWithTheRemedy) {
    plugCh340("2-1");
    plugFtdi(0);
    const PortInventory inv = catalog().inventory();
    ASSERT_EQ(inv.withoutDriver.size(), 1u);
    EXPECT_EQ(unusableAdapterDescription(inv.withoutDriver[0]),
              "adapter WCH CH340 (USB 1a86:7523), USB Serial: żaden sterownik go nie obsłużył "
              "(moduł jądra ch341)");
    EXPECT_NE(inv.withoutDriver[0].remedy.find("sudo modprobe ch341"), std::string::npos);
    EXPECT_EQ(inv.adapters().size(), 1u); // the FTDI has its port
}

TEST_F(FakeTree, followsAdaptersPluggedInAndPulledOut) {
    auto cat = catalog();
    std::mutex m;
    std::condition_variable cv;
    std::vector<PortInventory> seen;
    auto waitFor = [&](std::size_t count) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, std::chrono::seconds(10), [&] { return seen.size() >= count; });
    };
    auto watch = cat.watch([&](const PortInventory& inv) {
        std::lock_guard lock(m);
        seen.push_back(inv);
        cv.notify_all();
    });
    ASSERT_TRUE(watch);
    plugFtdi(0);
    ASSERT_TRUE(waitFor(1));
    {
        std::lock_guard lock(m);
        ASSERT_EQ(seen.back().adapters().size(), 1u);
        EXPECT_EQ(seen.back().adapters()[0].name, (dev / "ttyUSB0").string());
    }
    auto waitUntil = [&](std::size_t adapters) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, std::chrono::seconds(10), [&] {
            return !seen.empty() && seen.back().adapters().size() == adapters;
        });
    };
    plugFtdi(1);
    ASSERT_TRUE(waitUntil(2));
    unplugFtdi(0);
    unplugFtdi(1);
    ASSERT_TRUE(waitUntil(0));
    std::unique_lock lock(m);
    // Every report was a change, and the built-in port stayed listed throughout.
    for (std::size_t k = 0; k < seen.size(); ++k) {
        if (k > 0) {
            EXPECT_NE(seen[k], seen[k - 1]);
        }
        ASSERT_FALSE(seen[k].ports.empty());
        EXPECT_EQ(seen[k].ports[0].name, (dev / "ttyS0").string());
    }
    lock.unlock();
    watch.reset(); // stops and joins; no report after this
    const std::size_t reports = seen.size();
    plugFtdi(2);
    EXPECT_EQ(seen.size(), reports);
}

} // namespace
} // namespace qv
