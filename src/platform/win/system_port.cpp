// Windows: the ports of the Win32 communications API.
#include "platform/system_port.hpp"

#include "platform/win/win_adapter.hpp"
#include "platform/win/win_port_catalog.hpp"
#include "platform/win/win_serial_port.hpp"

#include <windows.h>

#include <shellapi.h>

namespace qv {

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return std::make_unique<WinSerialPort>();
}

std::vector<std::string> listSystemPortNames() {
    return listWinPortNames();
}

std::unique_ptr<AdapterTuner> makeSystemAdapterTuner() {
    return std::make_unique<WinAdapterTuner>();
}

std::unique_ptr<PortCatalog> makeSystemPortCatalog() {
    return std::make_unique<WinPortCatalog>();
}

PortFacts inspectSystemPort(const std::string& port, const PortInventory* inventory) {
    WinPortCatalog catalog;
    PortFacts facts;
    facts.system = PortSystem::windows;
    facts.port = port;
    facts.exists = catalog.present(port);
    facts.inventory = inventory ? *inventory : catalog.inventory();
    return facts;
}

std::vector<std::string> explainSystemPortFailure(const PortFailure& failure) {
    return explainPortFailure(failure, inspectSystemPort(failure.port));
}

std::vector<std::string> sharedModemPortAdvice(const std::string& port) {
    return {"Port " + port +
            " zajmuje inny program (np. program modemu od operatora): zamknij "
            "go i spróbuj ponownie."};
}

// qvprog-cli.exe beside the running program, started with the "runas" verb: the system asks
// for an administrator's consent and runs it elevated.
bool startElevatedLowLatency(const std::string& port, std::string& error) {
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        error = "Nie można ustalić folderu programu.";
        return false;
    }
    std::wstring cli(self, n);
    cli = cli.substr(0, cli.find_last_of(L"\\/") + 1) + L"qvprog-cli.exe";
    const std::wstring parameters =
        L"adapter " + std::wstring(port.begin(), port.end()) + L" --low-latency --wait";
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = cli.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        const DWORD e = GetLastError();
        error = e == ERROR_CANCELLED ? "Zmiana opóźnienia adaptera anulowana."
                                     : "Nie można uruchomić qvprog-cli jako administrator (błąd " +
                                           std::to_string(e) + ").";
        return false;
    }
    return true;
}

} // namespace qv
