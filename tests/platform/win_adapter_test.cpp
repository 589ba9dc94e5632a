// Windows: an FTDI adapter's LatencyTimer found by its PortName in the FTDI driver's registry
// tree, and set to 1 ms. The tree is a fake one under HKCU that the test creates (the real one,
// HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS, needs an administrator to write); the setup-API
// path needs a plugged-in adapter and is not tried here.
#include "platform/win/win_adapter.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace qv {
namespace {

constexpr const wchar_t* kTree = L"Software\\QVProgTest\\Enum\\FTDIBUS";

void putDevice(const std::wstring& device, const wchar_t* portName, const DWORD* latency) {
    const std::wstring path = std::wstring(kTree) + L"\\" + device + L"\\0000\\Device Parameters";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring name(portName);
    RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    if (latency)
        RegSetValueExW(key, L"LatencyTimer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(latency),
                       sizeof *latency);
    RegCloseKey(key);
}

DWORD latencyOf(const std::wstring& device) {
    const std::wstring path = std::wstring(kTree) + L"\\" + device + L"\\0000\\Device Parameters";
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, path.c_str(), L"LatencyTimer", RRF_RT_REG_DWORD, nullptr,
                 &value, &size);
    return value;
}

class FakeFtdiRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QVProgTest");
        const DWORD sixteen = 16;
        putDevice(L"VID_0403+PID_6001+A50285BIA", L"COM7", &sixteen);
        putDevice(L"VID_0403+PID_6015+DN0123AB", L"COM12", nullptr);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QVProgTest"); }
    WinAdapterTuner tuner{HKEY_CURRENT_USER, kTree};
};

TEST_F(FakeFtdiRegistry, FindsTheAdapterByItsPortName) {
    const AdapterDescription d = tuner.describe("com7");
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.system, AdapterSystem::windows);
    EXPECT_EQ(d.driver, "FTDIBUS");
    EXPECT_EQ(d.vendorId, "0403");
    EXPECT_EQ(d.productId, "6001");
    EXPECT_EQ(d.latencyTimerMs, 16);
    EXPECT_EQ(d.latencySetting, "HKCU\\Software\\QVProgTest\\Enum\\FTDIBUS\\VID_0403+PID_6001+"
                                "A50285BIA\\0000\\Device Parameters\\LatencyTimer");
    EXPECT_EQ(lowLatencyCommand(d), "qvprog-cli adapter com7 --low-latency");
    const AdapterDescription other = tuner.describe("COM12");
    EXPECT_TRUE(other.found);
    EXPECT_EQ(other.productId, "6015");
    EXPECT_FALSE(other.latencyTimerMs);
    EXPECT_FALSE(tuner.describe("COM3").found);
}

TEST_F(FakeFtdiRegistry, SetsTheTimerToOneMillisecond) {
    const AdapterChange change = tuner.setLowLatency("COM7");
    EXPECT_EQ(change.outcome, AdapterChange::Outcome::done);
    ASSERT_EQ(change.lines.size(), 2u);
    EXPECT_EQ(change.lines[0].rfind("LatencyTimer: było 16 ms, ustawiono 1 ms (", 0), 0u)
        << change.lines[0];
    EXPECT_EQ(latencyOf(L"VID_0403+PID_6001+A50285BIA"), 1u);
    EXPECT_EQ(tuner.describe("COM7").latencyTimerMs, 1);
    // No adapter of FTDI's behind the port: nothing is written.
    EXPECT_EQ(tuner.setLowLatency("COM3").outcome, AdapterChange::Outcome::notPossible);
}

// The machine's own adapters through the setup API: Wine has none, which must not fail.
TEST(WinAdapterTuner, APortWithoutAnAdapterIsDescribedAsUnknown) {
    WinAdapterTuner system;
    const AdapterDescription d = system.describe("COM99");
    EXPECT_FALSE(d.found);
    EXPECT_FALSE(d.note.empty());
}

// The machine's FTDI tree itself (HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS), where the
// Windows check puts an unplugged adapter with `wine reg add` and names its port in
// QVPROG_TEST_FTDI_PORT (LatencyTimer 16). Skipped elsewhere.
TEST(WinAdapterTuner, AnUnpluggedAdapterInTheMachinesRegistry) {
    const char* port = std::getenv("QVPROG_TEST_FTDI_PORT");
    if (!port) GTEST_SKIP() << "QVPROG_TEST_FTDI_PORT not set";
    WinAdapterTuner system;
    const AdapterDescription d = system.describe(port);
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.vendorId, "0403");
    EXPECT_EQ(d.latencyTimerMs, 16);
    EXPECT_EQ(d.note, "adapter nie jest teraz podłączony");
    EXPECT_EQ(d.latencySetting.rfind("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\", 0), 0u)
        << d.latencySetting;
    // Wine runs everything as an administrator.
    EXPECT_EQ(system.setLowLatency(port).outcome, AdapterChange::Outcome::done);
    EXPECT_EQ(system.describe(port).latencyTimerMs, 1);
}

} // namespace
} // namespace qv
