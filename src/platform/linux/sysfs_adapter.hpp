#pragma once
// Linux: a USB-serial adapter as sysfs shows it. For /dev/ttyUSB0 the port's device is
// <root>/class/tty/ttyUSB0/device (a link into the USB tree): its driver link names the
// driver, ftdi_sio keeps the latency timer in its latency_timer file, and the USB device a
// level or two above holds idVendor, idProduct and product. The root is /sys; tests point it
// at a fake tree.
#include "link/adapter.hpp"

#include <filesystem>

namespace qv {

class SysfsAdapterTuner final : public AdapterTuner {
  public:
    explicit SysfsAdapterTuner(std::filesystem::path root = "/sys") : root_(std::move(root)) {}
    AdapterDescription describe(const std::string& port) override;
    // Writes 1 to latency_timer; without the rights for it, gives the command to run as root.
    AdapterChange setLowLatency(const std::string& port) override;

  private:
    std::filesystem::path root_;
};

} // namespace qv
