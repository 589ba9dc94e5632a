#include "link/port_catalog.hpp"

#include "link/usb_serial.hpp"

#include <algorithm>

namespace qv {

std::vector<PortEntry> PortInventory::adapters() const {
    std::vector<PortEntry> out;
    std::copy_if(ports.begin(), ports.end(), std::back_inserter(out),
                 [](const PortEntry& p) { return p.usbAdapter; });
    return out;
}

const PortEntry* PortInventory::find(const std::string& name) const {
    const auto it = std::find_if(ports.begin(), ports.end(),
                                 [&](const PortEntry& p) { return p.name == name; });
    return it == ports.end() ? nullptr : &*it;
}

namespace {

// "FTDI FT232R (USB 0403:6001)", or "USB 0403:6001" for a chip not known here.
std::string chipText(const std::string& vendorId, const std::string& productId) {
    const std::string usb = "USB " + vendorId + ":" + (productId.empty() ? "?" : productId);
    const auto chip = usbSerialChip(vendorId, productId);
    return chip ? chip->name + " (" + usb + ")" : usb;
}

} // namespace

std::string portEntryDescription(const PortEntry& port) {
    if (!port.usbAdapter) {
        std::string text = "port wbudowany lub wirtualny";
        if (!port.driver.empty()) text += " (sterownik " + port.driver + ")";
        if (!port.product.empty()) text += ", " + port.product;
        return text;
    }
    std::string text = "adapter " + chipText(port.vendorId, port.productId);
    auto add = [&](const char* label, const std::string& value) {
        if (!value.empty()) text += std::string(", ") + label + " " + value;
    };
    add("producent", port.manufacturer);
    add("produkt", port.product);
    add("nr seryjny", port.serial);
    add("sterownik", port.driver);
    return text;
}

std::string unusableAdapterDescription(const UnusableAdapter& adapter) {
    std::string text = "adapter " + chipText(adapter.vendorId, adapter.productId);
    if (!adapter.product.empty()) text += ", " + adapter.product;
    if (!adapter.problem.empty()) text += ": " + adapter.problem;
    return text;
}

} // namespace qv
