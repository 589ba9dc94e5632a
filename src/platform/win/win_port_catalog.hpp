#pragma once
// Windows: the ports of the serial-port map (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM), each
// described by the present device whose PortName it is (the setup API: instance, friendly
// name, maker, driver service), and the USB-serial adapters present with a problem (no
// driver installed: CM_Get_DevNode_Status). Changes are followed by a registry notification
// on the serial-port map and, for an adapter whose driver is missing (which adds no port), a
// look at the devices every two seconds.
//
// Tests read a fake tree instead: the map at root\serialCommPath, and devices from an
// Enum-like tree at root\enumPath (<enumerator>\<device>\<instance> with DeviceDesc, Mfg,
// Service, ConfigFlags and Device Parameters\PortName), where a device without Service or
// with the failed-install flag has no working driver.
#include "link/port_catalog.hpp"
#include "link/usb_serial.hpp"

#include <chrono>
#include <string>
#include <vector>

namespace qv {

class WinPortCatalog final : public PortCatalog {
  public:
    WinPortCatalog();
    WinPortCatalog(void* root, std::wstring serialCommPath, std::wstring enumPath,
                   std::chrono::milliseconds look = std::chrono::milliseconds(2000));

    PortInventory inventory() override;
    bool present(const std::string& name) override;
    // The watch takes its first list before it returns.
    std::unique_ptr<PortWatch> watch(ChangeListener onChange) override;

    // The names in the serial-port map.
    std::vector<std::string> comNames() const;
    // The USB devices: the setup API's present ones, or the fake tree's.
    std::vector<WinDeviceRecord> devices() const;

    void* root() const { return root_; }
    const std::wstring& serialCommPath() const { return serialCommPath_; }
    std::chrono::milliseconds look() const { return look_; }

  private:
    void* root_;
    std::wstring serialCommPath_;
    std::wstring enumPath_; // empty: the setup API
    std::chrono::milliseconds look_;
};

} // namespace qv
