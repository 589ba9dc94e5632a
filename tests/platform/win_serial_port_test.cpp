#include "platform/win/win_serial_port.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace qv {
namespace {

using namespace std::chrono;

TEST(WinSerialPortNames, comNamesBecomeDevicePathsAndSortAsText) {
    EXPECT_EQ(winDevicePath("COM7"), L"\\\\.\\COM7");
    EXPECT_EQ(winDevicePath("COM12"), L"\\\\.\\COM12");
    EXPECT_EQ(winDevicePath("\\\\.\\COM3"), L"\\\\.\\COM3");
    EXPECT_EQ(sortedPortNames({"COM2", "COM10", "COM1", "COM10", "COM3"}),
              (std::vector<std::string>{"COM1", "COM10", "COM2", "COM3"}));
    EXPECT_TRUE(sortedPortNames({}).empty());
}

TEST(WinSerialPortNames, errorsReadAsOnLinux) {
    EXPECT_EQ(winPortErrorText(ERROR_FILE_NOT_FOUND), "No such file or directory");
    EXPECT_EQ(winPortErrorText(ERROR_PATH_NOT_FOUND), "No such file or directory");
    EXPECT_EQ(winPortErrorText(ERROR_ACCESS_DENIED), "Permission denied");
    EXPECT_EQ(winPortErrorText(ERROR_SHARING_VIOLATION), "Device or resource busy");
    for (DWORD held :
         {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_BUSY})
        EXPECT_EQ(winPortFault(held), PortFault::busy) << held;
    EXPECT_EQ(winPortErrorText(ERROR_LOCK_VIOLATION), "Device or resource busy");
    EXPECT_EQ(winPortErrorText(ERROR_GEN_FAILURE), "Input/output error");
    EXPECT_EQ(winPortErrorText(ERROR_DEVICE_NOT_CONNECTED), "No such device");
    EXPECT_EQ(winPortErrorText(ERROR_INVALID_FUNCTION), "Inappropriate ioctl for device");
    // An unknown code still says what kind of failure it was, and which one.
    EXPECT_EQ(winPortErrorText(12345), "Input/output error (Windows error 12345)");
}

TEST(WinSerialPort, aMissingPortFailsWithTheReasonAndStaysClosed) {
    WinSerialPort port;
    try {
        port.open("COM199");
        FAIL() << "opened a missing port";
    } catch (const PortError& e) {
        EXPECT_EQ(std::string(e.what()), "No such file or directory");
    }
    EXPECT_FALSE(port.isOpen());
    std::uint8_t buf[4];
    EXPECT_THROW(port.readAvailable(buf), PortError);
    EXPECT_THROW(port.waitReadable(milliseconds(10)), PortError);
    EXPECT_THROW(port.setRts(true), PortError);
    port.close(); // harmless when closed
}

// A port whose far end sends back every byte it gets.
class EchoPort : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* name = std::getenv("QVPROG_TEST_ECHO_PORT");
        if (!name || !*name) GTEST_SKIP() << "QVPROG_TEST_ECHO_PORT names no echoing port";
        name_ = name;
        port_.open(name_);
    }
    std::string readFor(std::size_t n, milliseconds limit = milliseconds(3000)) {
        std::string got;
        const auto end = steady_clock::now() + limit;
        while (got.size() < n && steady_clock::now() < end) {
            if (!port_.waitReadable(duration_cast<Clock::Duration>(end - steady_clock::now())))
                break;
            std::uint8_t buf[256];
            const auto k = port_.readAvailable(buf);
            got.append(reinterpret_cast<const char*>(buf), k);
        }
        return got;
    }
    WinSerialPort port_;
    std::string name_;
};

TEST_F(EchoPort, bytesGoBothWaysUnchanged) {
    ASSERT_TRUE(port_.isOpen());
    EXPECT_EQ(port_.name(), name_);
    port_.setBaudRate(kLinkBaudRate);
    // Every byte value, line ends and zeros included, arrives as sent.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(port_.write(all), all.size());
    EXPECT_EQ(readFor(all.size()), all);
    EXPECT_FALSE(port_.takeAllLineEvents().any());
}

TEST_F(EchoPort, readsNeverWaitAndWaitsEndAtTheirDeadline) {
    std::uint8_t buf[16];
    auto t0 = steady_clock::now();
    EXPECT_EQ(port_.readAvailable(buf), 0u);
    EXPECT_LT(steady_clock::now() - t0, milliseconds(50));

    t0 = steady_clock::now();
    EXPECT_FALSE(port_.waitReadable(milliseconds(200)));
    const auto waited = steady_clock::now() - t0;
    EXPECT_GE(waited, milliseconds(190));
    EXPECT_LT(waited, milliseconds(700));

    // A byte that comes during a wait ends it early.
    std::thread writer([&] {
        std::this_thread::sleep_for(milliseconds(100));
        port_.writeByte('x');
    });
    t0 = steady_clock::now();
    EXPECT_TRUE(port_.waitReadable(seconds(5)));
    EXPECT_LT(steady_clock::now() - t0, seconds(2));
    writer.join();
    EXPECT_EQ(readFor(1), "x");
}

TEST_F(EchoPort, purgeDropsWhatWasReceived) {
    port_.write(std::string("garbage"));
    ASSERT_TRUE(port_.waitReadable(seconds(2)));
    std::this_thread::sleep_for(milliseconds(100));
    port_.purge(true, true);
    std::uint8_t buf[16];
    EXPECT_EQ(port_.readAvailable(buf), 0u);
    port_.write(std::string("ok"));
    EXPECT_EQ(readFor(2), "ok");
}

// (Windows also refuses a second program the open port; Wine does not, so that is not tried.)
TEST_F(EchoPort, rtsCanBeDrivenAndThePortOpensAgainAfterClosing) {
    // The check's pseudo-terminal answers the modem-line requests, as an adapter would.
    port_.setRts(true);
    port_.setRts(false);
    EXPECT_THROW(port_.open(name_), PortError); // already open
    port_.close();
    EXPECT_FALSE(port_.isOpen());
    port_.open(name_);
    EXPECT_TRUE(port_.isOpen());
}

} // namespace
} // namespace qv
