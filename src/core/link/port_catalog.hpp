#pragma once
// The serial ports the machine has now, with what the system says of the USB-serial adapter
// behind each, and a way to follow adapters being plugged in and pulled out. Each platform
// fills it from its own sources (sysfs and /dev on Linux, the serial-port map and the setup
// API on Windows); the settings window, the window's start and `qvprog-cli ports` only see
// this.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

// One port the system lists.
struct PortEntry {
    std::string name;         // the name to open it by: "/dev/ttyUSB0", "COM3"
    bool usbAdapter = false;  // a USB-serial adapter (its USB vendor is known)
    std::string vendorId;     // four lower-case hex digits ("0403"); empty when unknown
    std::string productId;    // "6001"
    std::string manufacturer; // what the adapter reports: "FTDI"
    std::string product;      // "FT232R USB UART"
    std::string serial;       // "A50285BI"
    std::string driver;       // "ftdi_sio", "FTDIBUS", "serial8250"
    // A name that stays with the adapter whichever port number it gets
    // (/dev/serial/by-id/...); empty when the system gives none.
    std::string stableName;

    bool operator==(const PortEntry&) const = default;
};

// A USB-serial adapter the system sees but offers no port for: its driver is missing or
// failed (or another driver took it).
struct UnusableAdapter {
    std::string vendorId;  // "1a86"
    std::string productId; // "7523"
    std::string product;   // what the system calls it, when it says
    std::string location;  // where the system keeps it ("1-2", "USB\\VID_1A86&PID_7523\\5&1")
    std::string problem;   // why, in Polish ("brak sterownika (kod 28)")
    std::string remedy;    // what to do, in Polish (where the driver comes from)

    bool operator==(const UnusableAdapter&) const = default;
};

struct PortInventory {
    std::vector<PortEntry> ports; // sorted by name as text
    std::vector<UnusableAdapter> withoutDriver;

    bool operator==(const PortInventory&) const = default;
    // The ports that are USB-serial adapters.
    std::vector<PortEntry> adapters() const;
    const PortEntry* find(const std::string& name) const;
};

// Stops following the ports when destroyed.
class PortWatch {
  public:
    virtual ~PortWatch() = default;
};

class PortCatalog {
  public:
    using ChangeListener = std::function<void(const PortInventory&)>;

    virtual ~PortCatalog() = default;
    // The ports present now. Never throws; what cannot be read stays empty.
    virtual PortInventory inventory() = 0;
    // Whether a port of that name is there to be opened now: a listed one, or any device the
    // system has by that name (a pseudo-terminal is not listed but opens by name).
    virtual bool present(const std::string& name) = 0;
    // Follows plugging and unplugging: onChange gets the new inventory each time it differs
    // from the last one, on a thread of the watch's own (a window hands it to its own thread),
    // until the returned watch is destroyed. It is woken by the system's device notifications
    // where there are some, otherwise by a cheap look at the device list every second or two;
    // the ports themselves are never opened for it.
    virtual std::unique_ptr<PortWatch> watch(ChangeListener onChange) = 0;
};

// What a port is, in one Polish line: "FTDI FT232R (USB 0403:6001), producent FTDI,
// produkt FT232R USB UART, nr seryjny A50285BI, sterownik ftdi_sio"; for a port that is no
// USB adapter "port wbudowany (sterownik serial8250)".
std::string portEntryDescription(const PortEntry& port);

// The same for an adapter without its port, with where its driver comes from.
std::string unusableAdapterDescription(const UnusableAdapter& adapter);

} // namespace qv
