#include "platform/win/win_adapter.hpp"

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <optional>
#include <vector>

namespace qv {

namespace {

constexpr const wchar_t* kEnumPath = L"SYSTEM\\CurrentControlSet\\Enum";
constexpr const wchar_t* kDeviceParameters = L"Device Parameters";

// Port names and device instances are ASCII.
std::string narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w)
        s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

bool sameName(const std::wstring& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (towupper(a[i]) != towupper(static_cast<wchar_t>(b[i]))) return false;
    return true;
}

std::wstring readString(HKEY key, const wchar_t* name) {
    wchar_t buffer[256] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return buffer;
}

std::optional<int> readDword(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return static_cast<int>(value);
}

std::vector<std::wstring> subkeys(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::string rootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKLM\\";
    if (root == HKEY_CURRENT_USER) return "HKCU\\";
    return {};
}

} // namespace

struct WinAdapterTuner::Found {
    AdapterDescription description;
    HKEY root = nullptr;
    std::wstring keyPath; // the "Device Parameters" key below root
};

WinAdapterTuner::WinAdapterTuner()
    : root_(HKEY_LOCAL_MACHINE), ftdiBusPath_(std::wstring(kEnumPath) + L"\\FTDIBUS"),
      useSetupApi_(true) {}

WinAdapterTuner::WinAdapterTuner(void* root, std::wstring ftdiBusPath)
    : root_(root), ftdiBusPath_(std::move(ftdiBusPath)), useSetupApi_(false) {}

bool WinAdapterTuner::findBySetupApi(const std::string& port, Found& found) const {
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return false;
    bool hit = false;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; !hit && SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        const std::wstring name = readString(key, L"PortName");
        if (sameName(name, port)) {
            hit = true;
            AdapterDescription& d = found.description;
            d.latencyTimerMs = readDword(key, L"LatencyTimer");
            wchar_t instance[512] = {};
            if (SetupDiGetDeviceInstanceIdW(set, &info, instance, 511, nullptr)) {
                parseUsbInstanceId(narrow(instance), d.vendorId, d.productId);
                found.root = HKEY_LOCAL_MACHINE;
                found.keyPath =
                    std::wstring(kEnumPath) + L"\\" + instance + L"\\" + kDeviceParameters;
            }
            wchar_t text[256] = {};
            if (SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_SERVICE, nullptr,
                                                  reinterpret_cast<BYTE*>(text),
                                                  sizeof text - sizeof(wchar_t), nullptr))
                d.driver = narrow(text);
            wchar_t product[256] = {};
            if (SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_FRIENDLYNAME, nullptr,
                                                  reinterpret_cast<BYTE*>(product),
                                                  sizeof product - sizeof(wchar_t), nullptr))
                d.product = narrow(product);
        }
        RegCloseKey(key);
    }
    SetupDiDestroyDeviceInfoList(set);
    return hit;
}

// Enum\FTDIBUS\<VID_0403+PID_6001+serial>\<0000>\Device Parameters, with PortName.
bool WinAdapterTuner::findInRegistry(const std::string& port, Found& found) const {
    HKEY bus = nullptr;
    if (RegOpenKeyExW(static_cast<HKEY>(root_), ftdiBusPath_.c_str(), 0, KEY_READ, &bus) !=
        ERROR_SUCCESS)
        return false;
    bool hit = false;
    for (const auto& device : subkeys(bus)) {
        HKEY deviceKey = nullptr;
        if (RegOpenKeyExW(bus, device.c_str(), 0, KEY_READ, &deviceKey) != ERROR_SUCCESS) continue;
        for (const auto& instance : subkeys(deviceKey)) {
            const std::wstring relative = instance + L"\\" + kDeviceParameters;
            HKEY params = nullptr;
            if (RegOpenKeyExW(deviceKey, relative.c_str(), 0, KEY_READ, &params) != ERROR_SUCCESS)
                continue;
            if (sameName(readString(params, L"PortName"), port)) {
                hit = true;
                AdapterDescription& d = found.description;
                d.latencyTimerMs = readDword(params, L"LatencyTimer");
                parseUsbInstanceId(narrow(device), d.vendorId, d.productId);
                d.driver = "FTDIBUS";
                found.root = static_cast<HKEY>(root_);
                found.keyPath = ftdiBusPath_ + L"\\" + device + L"\\" + relative;
            }
            RegCloseKey(params);
            if (hit) break;
        }
        RegCloseKey(deviceKey);
        if (hit) break;
    }
    RegCloseKey(bus);
    return hit;
}

bool WinAdapterTuner::find(const std::string& port, Found& found) const {
    found.description.system = AdapterSystem::windows;
    found.description.port = port;
    bool present = false;
    if (useSetupApi_) present = findBySetupApi(port, found);
    bool known = present;
    if (!present) {
        known = findInRegistry(port, found);
        if (known && useSetupApi_) found.description.note = "adapter nie jest teraz podłączony";
    }
    AdapterDescription& d = found.description;
    d.found = known;
    if (!known) d.note = "port " + port + " nie należy do adaptera USB znanego systemowi";
    if (!found.keyPath.empty() && (d.latencyTimerMs || d.isFtdi()))
        d.latencySetting = rootName(found.root) + narrow(found.keyPath) + "\\LatencyTimer";
    return known;
}

AdapterDescription WinAdapterTuner::describe(const std::string& port) {
    Found found;
    find(port, found);
    return found.description;
}

AdapterChange WinAdapterTuner::setLowLatency(const std::string& port) {
    AdapterChange change;
    Found found;
    if (!find(port, found) || !found.description.isFtdi() || found.keyPath.empty()) {
        change.lines.push_back("Port " + port +
                               " nie należy do adaptera FTDI: opóźnienie ustawia się w "
                               "ustawieniach sterownika adaptera (Menedżer urządzeń).");
        return change;
    }
    const AdapterDescription& d = found.description;
    const std::string before =
        d.latencyTimerMs ? std::to_string(*d.latencyTimerMs) + " ms" : std::string("brak");
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(found.root, found.keyPath.c_str(), 0, KEY_SET_VALUE, &key);
    if (rc == ERROR_SUCCESS) {
        const DWORD value = kLowLatencyTimerMs;
        rc = RegSetValueExW(key, L"LatencyTimer", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
    if (rc == ERROR_ACCESS_DENIED) {
        change.outcome = AdapterChange::Outcome::needsAdministrator;
        change.lines.push_back("LatencyTimer: " + before +
                               "; zmiana wymaga uprawnień administratora.");
        change.lines.push_back("Uruchom jako administrator: " + lowLatencyCommand(d));
        return change;
    }
    if (rc != ERROR_SUCCESS) {
        change.lines.push_back("Nie można zapisać " + d.latencySetting + " (błąd " +
                               std::to_string(rc) + ").");
        return change;
    }
    change.outcome = AdapterChange::Outcome::done;
    change.lines.push_back("LatencyTimer: było " + before + ", ustawiono " +
                           std::to_string(kLowLatencyTimerMs) + " ms (" + d.latencySetting + ").");
    change.lines.push_back("Odłącz adapter i podłącz go ponownie: sterownik czyta to ustawienie "
                           "przy podłączeniu.");
    return change;
}

} // namespace qv
