// Linux: the programs holding a port, found in a fake /proc and lock-file folder, and a
// pseudo-terminal that vanishes while open. (A user outside the port's group and a port
// another program locks: tests/cli/ports_cli_test.)
#include "link/port_failure.hpp"
#include "platform/linux/port_access.hpp"
#include "qtport/qt_serial_port.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <tuple>

namespace qv {
namespace {

namespace fs = std::filesystem;

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines)
        all += l + "\n";
    return all;
}

TEST(PortHolders, foundByTheirOpenDeviceAndTheirLockFiles) {
    const fs::path root = fs::temp_directory_path() / ("qvprog-proc-" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path proc = root / "proc";
    // pid, program, command line, the device one of its descriptors leads to
    for (const auto& [pid, comm, cmdline, device] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"4242", "minicom", std::string("minicom\0-D\0/dev/null\0", 22), "/dev/null"},
             {"4243", "bash", "bash", "/dev/zero"},
             {"4244", "picocom", "", ""},
             {"self", "", "", "/dev/null"}}) { // not a process number
        fs::create_directories(proc / pid / "fd");
        std::ofstream(proc / pid / "comm") << comm << '\n';
        std::ofstream(proc / pid / "cmdline", std::ios::binary) << cmdline;
        if (!device.empty()) fs::create_symlink(device, proc / pid / "fd" / "5");
    }
    // A lock file of a running program, and a stale one of a program that ended.
    fs::create_directories(root / "old");
    std::ofstream(root / "LCK..null") << "      4244\n";
    std::ofstream(root / "old" / "LCK..null") << "4999\nqvprog\nhost\n";

    bool hidden = true;
    const auto holders = linuxPortHolders("/dev/null", {proc, {root, root / "old"}}, hidden);
    EXPECT_FALSE(hidden);
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].pid, 4242);
    EXPECT_EQ(holders[0].program, "minicom");
    EXPECT_EQ(holders[0].commandLine, "minicom -D /dev/null");
    EXPECT_EQ(holders[1].pid, 4244);
    EXPECT_EQ(holders[1].program, "picocom");
    EXPECT_TRUE(linuxPortHolders(root / "no-such-port", {proc, {}}, hidden).empty());
    fs::remove_all(root);
}

class PseudoTerminal : public ::testing::Test {
  protected:
    void SetUp() override {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        slave_ = ptsname(master_);
    }
    void TearDown() override {
        if (master_ >= 0) close(master_);
    }
    int master_ = -1;
    std::string slave_;
};

TEST_F(PseudoTerminal, aPortThatVanishesWhileOpenIsReportedGone) {
    auto port = makeQtSerialPort();
    port->open(slave_);
    close(master_); // the pseudo-terminal's device goes, as an unplugged adapter's does
    master_ = -1;
    try {
        for (int k = 0; k < 50; ++k)
            port->waitReadable(std::chrono::milliseconds(100));
        FAIL() << "the port kept working";
    } catch (const PortError& e) {
        const PortFailure failure = portFailureFrom(slave_, e, port->isOpen());
        const std::string text = joined(explainPortFailure(failure, linuxPortFacts(slave_)));
        EXPECT_NE(text.find("zniknął w trakcie pracy"), std::string::npos) << e.what() << "\n"
                                                                           << text;
    }
}

} // namespace
} // namespace qv
