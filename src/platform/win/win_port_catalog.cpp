#include "platform/win/win_port_catalog.hpp"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <algorithm>
#include <thread>

namespace qv {

namespace {

constexpr const wchar_t* kSerialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD kFailedInstall = 0x40;         // CONFIGFLAG_FAILEDINSTALL
constexpr unsigned kProblemFailedInstall = 28; // CM_PROB_FAILED_INSTALL

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

std::wstring readString(HKEY key, const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return buffer;
}

DWORD readDword(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
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

// "@oem12.inf,%desc%;USB-SERIAL CH340": the text after the last ';'.
std::wstring plainText(std::wstring text) {
    if (!text.empty() && text.front() == L'@') {
        const auto semicolon = text.find_last_of(L';');
        text = semicolon == std::wstring::npos ? std::wstring() : text.substr(semicolon + 1);
    }
    return text;
}

std::wstring property(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD which) {
    wchar_t text[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, &info, which, nullptr,
                                           reinterpret_cast<BYTE*>(text),
                                           sizeof text - sizeof(wchar_t), nullptr))
        return {};
    return text;
}

// The present devices of one enumerator ("USB", "FTDIBUS").
void presentDevices(const wchar_t* enumerator, std::vector<WinDeviceRecord>& out) {
    HDEVINFO set =
        SetupDiGetClassDevsW(nullptr, enumerator, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        WinDeviceRecord r;
        wchar_t instance[512] = {};
        if (SetupDiGetDeviceInstanceIdW(set, &info, instance, 511, nullptr))
            r.instanceId = narrow(instance);
        std::wstring description = property(set, info, SPDRP_FRIENDLYNAME);
        if (description.empty()) description = property(set, info, SPDRP_DEVICEDESC);
        r.description = narrow(description);
        r.manufacturer = narrow(property(set, info, SPDRP_MFG));
        r.service = narrow(property(set, info, SPDRP_SERVICE));
        HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key != INVALID_HANDLE_VALUE) {
            r.portName = narrow(readString(key, L"PortName"));
            RegCloseKey(key);
        }
        ULONG status = 0;
        ULONG problem = 0;
        if (CM_Get_DevNode_Status(&status, &problem, info.DevInst, 0) == CR_SUCCESS &&
            (status & DN_HAS_PROBLEM))
            r.problemCode = problem;
        out.push_back(std::move(r));
    }
    SetupDiDestroyDeviceInfoList(set);
}

// <enumPath>\<enumerator>\<device>\<instance>, as HKLM\SYSTEM\CurrentControlSet\Enum keeps it.
void registryDevices(HKEY root, const std::wstring& enumPath, std::vector<WinDeviceRecord>& out) {
    HKEY tree = nullptr;
    if (RegOpenKeyExW(root, enumPath.c_str(), 0, KEY_READ, &tree) != ERROR_SUCCESS) return;
    for (const auto& enumerator : subkeys(tree)) {
        HKEY enumKey = nullptr;
        if (RegOpenKeyExW(tree, enumerator.c_str(), 0, KEY_READ, &enumKey) != ERROR_SUCCESS)
            continue;
        for (const auto& device : subkeys(enumKey)) {
            HKEY deviceKey = nullptr;
            if (RegOpenKeyExW(enumKey, device.c_str(), 0, KEY_READ, &deviceKey) != ERROR_SUCCESS)
                continue;
            for (const auto& instance : subkeys(deviceKey)) {
                HKEY key = nullptr;
                if (RegOpenKeyExW(deviceKey, instance.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
                    continue;
                WinDeviceRecord r;
                r.instanceId = narrow(enumerator + L"\\" + device + L"\\" + instance);
                std::wstring description = plainText(readString(key, L"FriendlyName"));
                if (description.empty()) description = plainText(readString(key, L"DeviceDesc"));
                r.description = narrow(description);
                r.manufacturer = narrow(plainText(readString(key, L"Mfg")));
                r.service = narrow(readString(key, L"Service"));
                if (r.service.empty() || (readDword(key, L"ConfigFlags") & kFailedInstall))
                    r.problemCode = kProblemFailedInstall;
                HKEY params = nullptr;
                if (RegOpenKeyExW(key, L"Device Parameters", 0, KEY_READ, &params) ==
                    ERROR_SUCCESS) {
                    r.portName = narrow(readString(params, L"PortName"));
                    RegCloseKey(params);
                }
                RegCloseKey(key);
                out.push_back(std::move(r));
            }
            RegCloseKey(deviceKey);
        }
        RegCloseKey(enumKey);
    }
    RegCloseKey(tree);
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// Woken by a change of the serial-port map, or after `look` to see the devices.
class RegistryWatch final : public PortWatch {
  public:
    RegistryWatch(WinPortCatalog& catalog, PortCatalog::ChangeListener onChange)
        : catalog_(catalog), onChange_(std::move(onChange)) {
        last_ = catalog_.inventory();
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        changed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        thread_ = std::thread([this] { run(); });
    }
    ~RegistryWatch() override {
        if (stop_) SetEvent(stop_);
        if (thread_.joinable()) thread_.join();
        for (HANDLE h : {stop_, changed_})
            if (h) CloseHandle(h);
    }
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;

  private:
    void run() {
        HKEY key = nullptr;
        for (;;) {
            // The map is missing while the machine has no port at all: opened again each round.
            if (!key &&
                RegOpenKeyExW(static_cast<HKEY>(catalog_.root()), catalog_.serialCommPath().c_str(),
                              0, KEY_NOTIFY | KEY_READ, &key) != ERROR_SUCCESS)
                key = nullptr;
            if (key && RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed_,
                                               TRUE) != ERROR_SUCCESS) {
                RegCloseKey(key);
                key = nullptr;
            }
            HANDLE events[2] = {stop_, changed_};
            const DWORD woken = WaitForMultipleObjects(changed_ ? 2 : 1, events, FALSE,
                                                       static_cast<DWORD>(catalog_.look().count()));
            if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) break;
            PortInventory now = catalog_.inventory();
            if (now == last_) continue;
            last_ = std::move(now);
            onChange_(last_);
        }
        if (key) RegCloseKey(key);
    }

    WinPortCatalog& catalog_;
    PortCatalog::ChangeListener onChange_;
    PortInventory last_;
    HANDLE stop_ = nullptr;
    HANDLE changed_ = nullptr;
    std::thread thread_;
};

} // namespace

WinPortCatalog::WinPortCatalog()
    : root_(HKEY_LOCAL_MACHINE), serialCommPath_(kSerialComm), look_(2000) {}

WinPortCatalog::WinPortCatalog(void* root, std::wstring serialCommPath, std::wstring enumPath,
                               std::chrono::milliseconds look)
    : root_(root), serialCommPath_(std::move(serialCommPath)), enumPath_(std::move(enumPath)),
      look_(look) {}

std::vector<std::string> WinPortCatalog::comNames() const {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(static_cast<HKEY>(root_), serialCommPath_.c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return names; // no serial ports at all
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD nameLength = 256;
        wchar_t data[256] = {};
        DWORD dataLength = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataLength);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        if (data[0] != L'\0') names.push_back(narrow(data));
    }
    RegCloseKey(key);
    return sortedUniqueNames(std::move(names));
}

std::vector<WinDeviceRecord> WinPortCatalog::devices() const {
    std::vector<WinDeviceRecord> records;
    if (!enumPath_.empty()) {
        registryDevices(static_cast<HKEY>(root_), enumPath_, records);
        return records;
    }
    presentDevices(L"USB", records);
    presentDevices(L"FTDIBUS", records);
    return records;
}

PortInventory WinPortCatalog::inventory() {
    return windowsPortInventory(comNames(), devices());
}

bool WinPortCatalog::present(const std::string& name) {
    const auto names = comNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return sameName(n, name); });
}

std::unique_ptr<PortWatch> WinPortCatalog::watch(ChangeListener onChange) {
    return std::make_unique<RegistryWatch>(*this, std::move(onChange));
}

} // namespace qv
