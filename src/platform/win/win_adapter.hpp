#pragma once
// Windows: the adapter behind a COM port. The setup API lists the present ports; the one whose
// device key names the port (PortName) gives its device instance ("FTDIBUS\VID_0403+PID_6001+
// A1B2C3\0000"), its driver service and, for FTDI's driver, the LatencyTimer value of its
// "Device Parameters" key. An adapter that is not plugged in is still found in the FTDI
// driver's registry tree (Enum\FTDIBUS), where its timer can be set for the next plug-in.
// The driver reads LatencyTimer when the adapter is plugged in; writing it needs an
// administrator.
#include "link/adapter.hpp"

#include <string>

namespace qv {

class WinAdapterTuner final : public AdapterTuner {
  public:
    // The machine's adapters: the setup API, then HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS.
    WinAdapterTuner();
    // Only the registry tree under root\ftdiBusPath (root an HKEY), without the setup API:
    // tests point it at a key of their own.
    WinAdapterTuner(void* root, std::wstring ftdiBusPath);

    AdapterDescription describe(const std::string& port) override;
    AdapterChange setLowLatency(const std::string& port) override;

  private:
    struct Found;
    bool findBySetupApi(const std::string& port, Found& found) const;
    bool findInRegistry(const std::string& port, Found& found) const;
    bool find(const std::string& port, Found& found) const;

    void* root_;
    std::wstring ftdiBusPath_;
    bool useSetupApi_;
};

} // namespace qv
