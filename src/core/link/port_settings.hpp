#pragma once
// The port settings kept in QVPROG2.INI beside the program: [SETTINGS] port and reverse_reset.
#include <string>

namespace qv {

struct PortSettings {
    std::string portName;
    bool reverseReset = false; // inverts the reset pulse on RTS
};

// Missing file or keys give the defaults (defaultPort, false) silently; any non-zero
// reverse_reset reads as true.
PortSettings loadPortSettings(const std::string& exeDir, const std::string& defaultPort);

struct PortSettingsSaved {
    bool ok = false;
    // "Konfiguracja zapisana", or "Błąd zapisu konfiguracji na dysku: " + the file's full path.
    std::string message;
};

// "Zapisz ustawienia": writes both keys, keeping the rest of the file.
PortSettingsSaved savePortSettings(const std::string& exeDir, const PortSettings& settings);

} // namespace qv
