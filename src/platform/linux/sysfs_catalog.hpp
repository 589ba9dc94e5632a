#pragma once
// Linux: the serial ports as sysfs and /dev show them. A port is a /sys/class/tty entry with
// a device behind it (serial-core ports whose "type" is 0 have no UART and are left out) and a
// node in /dev; a USB adapter's vendor, product, maker, product text and serial number are in
// the USB device a level or two above the port's device, its driver is the device's driver
// link, and udev's /dev/serial/by-id names it for good. A USB-serial chip in
// /sys/bus/usb/devices without any tty below it is an adapter no driver serves.
//
// Plugging is followed by inotify on /dev (and /dev/serial/by-id): the list is read again
// once the notifications have been quiet for a moment. Where inotify cannot be had, the list
// is read every two seconds instead. Tests point both roots at fake trees.
#include "link/port_catalog.hpp"

#include <chrono>
#include <filesystem>

namespace qv {

class SysfsPortCatalog final : public PortCatalog {
  public:
    struct Roots {
        std::filesystem::path sys = "/sys";
        std::filesystem::path dev = "/dev";
    };
    struct Timing {
        // How long notifications must be quiet before the list is read again (udev adds the
        // by-id link and the group after the node).
        std::chrono::milliseconds settle{250};
        // The longest a burst of notifications delays reading the list.
        std::chrono::milliseconds settleAtMost{1500};
        // Without inotify: how often the list is read.
        std::chrono::milliseconds look{2000};
    };

    SysfsPortCatalog() : SysfsPortCatalog(Roots{}, Timing{}) {}
    SysfsPortCatalog(Roots roots, Timing timing) : roots_(std::move(roots)), timing_(timing) {}

    PortInventory inventory() override;
    bool present(const std::string& name) override;
    // The watch takes its first list before it returns: list after creating it, and no
    // change between the two is missed.
    std::unique_ptr<PortWatch> watch(ChangeListener onChange) override;

    const Roots& roots() const { return roots_; }

  private:
    Roots roots_;
    Timing timing_;
};

} // namespace qv
