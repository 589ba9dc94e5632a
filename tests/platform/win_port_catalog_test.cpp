// Windows: the port list read from a fake serial-port map and a fake Enum tree under HKCU
// (the real ones need an administrator to change).
#include "platform/win/win_port_catalog.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

namespace qv {
namespace {

constexpr const wchar_t* kBase = L"Software\\QVProgPortTest";
constexpr const wchar_t* kMap = L"Software\\QVProgPortTest\\SERIALCOMM";
constexpr const wchar_t* kEnum = L"Software\\QVProgPortTest\\Enum";

HKEY create(const std::wstring& path) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    return key;
}

void putString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void mapPort(const wchar_t* device, const wchar_t* com) {
    HKEY key = create(kMap);
    putString(key, device, com);
    RegCloseKey(key);
}

// A device under Enum: service empty for one without a driver.
void putDevice(const std::wstring& instance, const wchar_t* description, const wchar_t* service,
               const wchar_t* portName) {
    HKEY key = create(std::wstring(kEnum) + L"\\" + instance);
    putString(key, L"DeviceDesc", description);
    if (*service) putString(key, L"Service", service);
    RegCloseKey(key);
    if (*portName) {
        HKEY params = create(std::wstring(kEnum) + L"\\" + instance + L"\\Device Parameters");
        putString(params, L"PortName", portName);
        RegCloseKey(params);
    }
}

class FakeWindowsPorts : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
        mapPort(L"\\Device\\Serial0", L"COM1");
        mapPort(L"\\Device\\VCP0", L"COM7");
        putDevice(L"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", L"USB Serial Port", L"FTDIBUS",
                  L"COM7");
        putDevice(L"USB\\VID_1A86&PID_7523\\5&2C0E&0&2", L"@oem9.inf,%ch340%;USB-SERIAL CH340", L"",
                  L"");
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
    WinPortCatalog catalog{HKEY_CURRENT_USER, kMap, kEnum, std::chrono::milliseconds(100)};
};

TEST_F(FakeWindowsPorts, listsTheMapWithItsAdaptersAndTheOnesWithoutADriver) {
    const PortInventory inv = catalog.inventory();
    ASSERT_EQ(inv.ports.size(), 2u);
    EXPECT_EQ(inv.ports[0].name, "COM1");
    EXPECT_FALSE(inv.ports[0].usbAdapter);
    EXPECT_EQ(inv.ports[1].name, "COM7");
    EXPECT_TRUE(inv.ports[1].usbAdapter);
    EXPECT_EQ(inv.ports[1].productId, "6001");
    EXPECT_EQ(inv.ports[1].driver, "FTDIBUS");
    ASSERT_EQ(inv.withoutDriver.size(), 1u);
    EXPECT_EQ(inv.withoutDriver[0].product, "USB-SERIAL CH340");
    EXPECT_NE(inv.withoutDriver[0].remedy.find("wch-ic.com"), std::string::npos);
    EXPECT_TRUE(catalog.present("com7"));
    EXPECT_FALSE(catalog.present("COM5"));
}

// The watch follows the map (its change notification) and an adapter without a driver (its look
// at the devices): each change reaches the listener with the new list, without a restart.
TEST_F(FakeWindowsPorts, theWatchFollowsAPortThatComesAndGoesAndAnAdapterWithoutDriver) {
    std::mutex mutex;
    std::condition_variable changed;
    PortInventory last;
    auto watch = catalog.watch([&](const PortInventory& inv) {
        std::lock_guard lock(mutex);
        last = inv;
        changed.notify_all();
    });
    const auto waitFor = [&](auto condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), [&] { return condition(last); });
    };
    mapPort(L"\\Device\\VCP1", L"COM9");
    EXPECT_TRUE(waitFor([](const PortInventory& inv) { return inv.find("COM9") != nullptr; }));
    HKEY map = create(kMap);
    RegDeleteValueW(map, L"\\Device\\VCP1");
    RegCloseKey(map);
    EXPECT_TRUE(waitFor([](const PortInventory& inv) {
        return !inv.ports.empty() && inv.find("COM9") == nullptr;
    }));
    putDevice(L"USB\\VID_067B&PID_2303\\5&1&0&3", L"USB-Serial Controller", L"", L"");
    EXPECT_TRUE(waitFor([](const PortInventory& inv) { return inv.withoutDriver.size() == 2; }));
}

// The machine's own serial-port map, where a port driver announces a port: the program's
// catalog follows it while running. Run by the Windows check under Wine
// (QVPROG_TEST_MACHINE_PORTS=1, which lets the test write the map); skipped elsewhere.
TEST(WinPortCatalogOnTheMachine, theWatchFollowsAPortAnnouncedInTheMap) {
    const char* allowed = std::getenv("QVPROG_TEST_MACHINE_PORTS");
    if (!allowed || std::string(allowed) != "1") GTEST_SKIP() << "QVPROG_TEST_MACHINE_PORTS not 1";
    WinPortCatalog catalog;
    std::mutex mutex;
    std::condition_variable changed;
    bool listed = false;
    auto watch = catalog.watch([&](const PortInventory& inv) {
        std::lock_guard lock(mutex);
        listed = inv.find("COM29") != nullptr;
        changed.notify_all();
    });
    HKEY map = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &map, nullptr),
              ERROR_SUCCESS);
    putString(map, L"\\Device\\QVTest29", L"COM29");
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return listed; }));
    }
    RegDeleteValueW(map, L"\\Device\\QVTest29");
    RegCloseKey(map);
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return !listed; }));
}

} // namespace
} // namespace qv
