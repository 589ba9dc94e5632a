#include "link/usb_serial.hpp"

#include "link/adapter.hpp"

#include <algorithm>
#include <array>

namespace qv {

namespace {

struct ChipRow {
    const char* vendor;
    const char* product; // nullptr: any other product of the vendor
    const char* name;
};

struct VendorRow {
    const char* vendor;
    const char* linuxModule;
    const char* windowsDriver;
};

constexpr const char* kFtdiDriver =
    "sterownik FTDI VCP: Windows Update albo ftdichip.com (Drivers, VCP Drivers)";
constexpr const char* kWchDriver = "sterownik CH341SER: wch-ic.com (Downloads, CH341SER.EXE)";

constexpr std::array kChips{
    ChipRow{"0403", "6001", "FTDI FT232R"},
    ChipRow{"0403", "6010", "FTDI FT2232"},
    ChipRow{"0403", "6011", "FTDI FT4232H"},
    ChipRow{"0403", "6014", "FTDI FT232H"},
    ChipRow{"0403", "6015", "FTDI FT-X (FT230X/FT231X)"},
    ChipRow{"0403", nullptr, "FTDI"},
    ChipRow{"067b", "23a3", "Prolific PL2303GC"},
    ChipRow{"067b", nullptr, "Prolific PL2303"},
    ChipRow{"10c4", "ea70", "Silicon Labs CP2105"},
    ChipRow{"10c4", "ea71", "Silicon Labs CP2108"},
    ChipRow{"10c4", nullptr, "Silicon Labs CP210x"},
    ChipRow{"1a86", "7523", "WCH CH340"},
    ChipRow{"1a86", "7522", "WCH CH340K"},
    ChipRow{"1a86", "5523", "WCH CH341"},
    ChipRow{"1a86", "55d4", "WCH CH9102"},
    ChipRow{"1a86", "55d3", "WCH CH343"},
    ChipRow{"1a86", nullptr, "WCH CH340/CH341"},
    ChipRow{"04d8", "00df", "Microchip MCP2200"},
    ChipRow{"04d8", "00dd", "Microchip MCP2221"},
};

constexpr std::array kVendors{
    VendorRow{"0403", "ftdi_sio", kFtdiDriver},
    VendorRow{"067b", "pl2303", "sterownik PL2303: prolific.com.tw (PL2303 Windows Driver)"},
    VendorRow{"10c4", "cp210x",
              "sterownik CP210x USB to UART Bridge VCP: silabs.com (Developer Tools, Drivers)"},
    VendorRow{"1a86", "ch341", kWchDriver},
    VendorRow{"04d8", "cdc_acm",
              "Windows 10 i nowsze mają sterownik wbudowany (usbser); starsze: microchip.com"},
};

std::string lower(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool sameName(const std::string& a, const std::string& b) {
    return lower(a) == lower(b);
}

} // namespace

std::optional<UsbSerialChip> usbSerialChip(std::string_view vendorId, std::string_view productId) {
    const std::string vendor = lower(vendorId);
    const std::string product = lower(productId);
    const auto v = std::find_if(kVendors.begin(), kVendors.end(),
                                [&](const VendorRow& r) { return vendor == r.vendor; });
    if (v == kVendors.end()) return std::nullopt;
    UsbSerialChip chip{"", v->linuxModule, v->windowsDriver};
    for (const auto& row : kChips) {
        if (vendor != row.vendor || (row.product && product != row.product)) continue;
        chip.name = row.name;
        break;
    }
    // The WCH chips that speak the modem class standard have their own drivers.
    if (chip.name == "WCH CH9102" || chip.name == "WCH CH343") {
        chip.linuxModule = "cdc_acm";
        chip.windowsDriver = "sterownik CH343SER: wch-ic.com (Downloads, CH343SER.EXE)";
    }
    return chip;
}

std::string usbInstanceSerial(const std::string& instanceId) {
    const auto first = instanceId.find('\\');
    if (first == std::string::npos) return {};
    const auto second = instanceId.find('\\', first + 1);
    if (second == std::string::npos) return {};
    const std::string device = instanceId.substr(first + 1, second - first - 1);
    // FTDIBUS\VID_0403+PID_6001+A50285BIA\0000: the serial follows the product.
    const auto plus = device.find('+', device.find('+') + 1);
    if (device.find('+') != std::string::npos && plus != std::string::npos)
        return device.substr(plus + 1);
    const std::string last = instanceId.substr(second + 1);
    if (last.empty() || last.find('&') != std::string::npos) return {};
    return last;
}

std::vector<std::string> sortedUniqueNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

PortInventory windowsPortInventory(const std::vector<std::string>& comNames,
                                   const std::vector<WinDeviceRecord>& devices) {
    PortInventory inv;
    for (const auto& name : sortedUniqueNames(comNames)) {
        PortEntry entry;
        entry.name = name;
        const auto device = std::find_if(devices.begin(), devices.end(), [&](const auto& d) {
            return !d.portName.empty() && sameName(d.portName, name);
        });
        if (device != devices.end()) {
            parseUsbInstanceId(device->instanceId, entry.vendorId, entry.productId);
            entry.usbAdapter = !entry.vendorId.empty();
            entry.serial = entry.usbAdapter ? usbInstanceSerial(device->instanceId) : "";
            entry.product = device->description;
            entry.manufacturer = device->manufacturer;
            entry.driver = device->service;
        }
        inv.ports.push_back(std::move(entry));
    }
    for (const auto& d : devices) {
        if (d.problemCode == 0 && !d.service.empty()) continue;
        UnusableAdapter a;
        if (!parseUsbInstanceId(d.instanceId, a.vendorId, a.productId)) continue;
        if (!usbSerialChip(a.vendorId, a.productId)) continue;
        // A port that is listed works, whatever else its device says.
        if (!d.portName.empty() && inv.find(d.portName)) continue;
        a.product = d.description;
        a.location = d.instanceId;
        a.problem = d.service.empty() ? "brak sterownika" : "sterownik nie działa";
        if (d.problemCode != 0) a.problem += " (kod " + std::to_string(d.problemCode) + ")";
        a.remedy = "Zainstaluj " + usbSerialChip(a.vendorId, a.productId)->windowsDriver +
                   "; potem odłącz adapter i podłącz go ponownie.";
        const bool seen = std::any_of(
            inv.withoutDriver.begin(), inv.withoutDriver.end(), [&](const UnusableAdapter& o) {
                return o.vendorId == a.vendorId && o.productId == a.productId &&
                       usbInstanceSerial(o.location) == usbInstanceSerial(a.location) &&
                       !usbInstanceSerial(a.location).empty();
            });
        if (!seen) inv.withoutDriver.push_back(std::move(a));
    }
    return inv;
}

} // namespace qv
