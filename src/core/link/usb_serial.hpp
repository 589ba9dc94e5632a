#pragma once
// USB-serial chips by their USB vendor and product numbers, and the Windows device records
// the port list is made of. Pure functions: the platforms read the records, these decide.
#include "link/port_catalog.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct UsbSerialChip {
    std::string name;          // "FTDI FT232R", "WCH CH340/CH341"
    std::string linuxModule;   // the kernel module that drives it: "ftdi_sio"
    std::string windowsDriver; // where its Windows driver comes from (Polish)
};

// The chip of a USB-serial adapter; nothing for a vendor that makes no chip known here.
std::optional<UsbSerialChip> usbSerialChip(std::string_view vendorId, std::string_view productId);

// A device as Windows keeps it: the setup API's view of a present device, or its key under
// HKLM\SYSTEM\CurrentControlSet\Enum.
struct WinDeviceRecord {
    // "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "USB\\VID_1A86&PID_7523\\5&2C0E&0&2"
    std::string instanceId;
    std::string portName;     // its Device Parameters\PortName ("COM3"); empty when none
    std::string description;  // the friendly name or the device description
    std::string manufacturer; // "FTDI"
    std::string service;      // the driver's service; empty when no driver is installed
    unsigned problemCode = 0; // the device manager's problem code; 0 when it works
};

// The serial number a USB device instance carries ("USB\\VID_0403&PID_6001\\A50285BI" gives
// "A50285BI", an FTDIBUS instance the part after the product); empty when Windows made the
// instance name up itself (it then holds '&').
std::string usbInstanceSerial(const std::string& instanceId);

// The ports of the serial-port map (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM), each described by
// the device whose PortName it is, and the USB-serial adapters present without a working
// driver. Names come out sorted as text, each once.
PortInventory windowsPortInventory(const std::vector<std::string>& comNames,
                                   const std::vector<WinDeviceRecord>& devices);

// Port names sorted as text ("COM10" before "COM2"), each once.
std::vector<std::string> sortedUniqueNames(std::vector<std::string> names);

} // namespace qv
