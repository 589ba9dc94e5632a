#pragma once
// The machine's own serial ports, one implementation per platform: Qt Serial Port where Qt has
// it (Linux, macOS), the Win32 communications API on Windows. The window and the command line
// reach real ports only through these functions.
#include "link/adapter.hpp"
#include "link/port_catalog.hpp"
#include "link/port_failure.hpp"
#include "link/serial_port.hpp"

#include <memory>
#include <string>
#include <vector>

namespace qv {

// A closed port; open it by a name from listSystemPortNames (or any name the system knows).
std::unique_ptr<SerialPort> makeSystemSerialPort();

// The serial ports present on the machine, sorted as text ("COM10" before "COM2"). On Linux
// and macOS these are device paths (/dev/ttyUSB0), on Windows COM names.
std::vector<std::string> listSystemPortNames();

// The adapters behind the machine's ports: sysfs on Linux, the setup API and the registry on
// Windows; elsewhere one that knows nothing.
std::unique_ptr<AdapterTuner> makeSystemAdapterTuner();

// The machine's ports with their adapters, and their changes as adapters come and go: sysfs,
// /dev and inotify on Linux, the serial-port map and the setup API on Windows. Elsewhere the
// ports of listSystemPortNames without descriptions, and no watch (watch gives nothing).
std::unique_ptr<PortCatalog> makeSystemPortCatalog();

// What the system tells about the port now: whether it is there, the device's owner, group
// and mode and the user's groups (Linux), the programs holding it, and the ports and adapters
// there are (taken from inventory when given, read otherwise). Looks, never opens the port.
PortFacts inspectSystemPort(const std::string& port, const PortInventory* inventory = nullptr);

// What to tell the user after the first line of a port failure ("Błąd otwarcia portu: NAME"),
// in Polish: what happened and what to do (explainPortFailure over inspectSystemPort). It
// reads /proc on Linux, so call it off the user-interface thread.
std::vector<std::string> explainSystemPortFailure(const PortFailure& failure);

// What to tell the user when another program uses a modem's port (Linux: ModemManager, with
// the command that stops it and a udev rule), one line each.
std::vector<std::string> sharedModemPortAdvice(const std::string& port);

// Starts `qvprog-cli adapter PORT --low-latency` with administrator rights (Windows: the
// system asks the user first). False, with the reason in error, where the platform cannot or
// the start failed; the adapter must then be set with the command of the latency hint.
bool startElevatedLowLatency(const std::string& port, std::string& error);

} // namespace qv
