// Linux: why a port cannot be opened, on pseudo-terminals given what a real port has (the
// group dialout, mode 0660) and opened by a user outside the group, or held by another
// program; and the programs holding a port found in a fake /proc and lock-file folder.
#include "link/port_failure.hpp"
#include "platform/linux/port_access.hpp"
#include "qtport/qt_serial_port.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

using namespace std::string_literals;

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
    auto process = [&](int pid, const std::string& comm, const std::string& cmdline) {
        fs::create_directories(proc / std::to_string(pid) / "fd");
        std::ofstream(proc / std::to_string(pid) / "comm") << comm << '\n';
        std::ofstream(proc / std::to_string(pid) / "cmdline", std::ios::binary) << cmdline;
    };
    process(4242, "minicom", std::string("minicom\0-D\0/dev/null\0", 22));
    fs::create_symlink("/dev/null", proc / "4242/fd/5");
    process(4243, "bash", "bash");
    fs::create_symlink("/dev/zero", proc / "4243/fd/1");
    process(4244, "picocom", "");
    fs::create_directories(proc / "self/fd");
    fs::create_symlink("/dev/null", proc / "self/fd/3"); // not a process number
    // A lock file of a running program, and a stale one of a program that ended.
    fs::create_directories(root / "lock" / "old");
    std::ofstream(root / "lock" / "LCK..null") << "      4244\n";
    std::ofstream(root / "lock" / "old" / "LCK..null") << "4999\nqvprog\nhost\n";

    bool hidden = true;
    const auto holders =
        linuxPortHolders("/dev/null", {proc, {root / "lock", root / "old"}}, hidden);
    EXPECT_FALSE(hidden);
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].pid, 4242);
    EXPECT_EQ(holders[0].program, "minicom");
    EXPECT_EQ(holders[0].commandLine, "minicom -D /dev/null");
    EXPECT_FALSE(holders[0].self);
    EXPECT_EQ(holders[1].pid, 4244);
    EXPECT_EQ(holders[1].program, "picocom");
    EXPECT_TRUE(linuxPortHolders(root / "no-such-port", {proc, {}}, hidden).empty());
    fs::remove_all(root);
}

// A pseudo-terminal pair; the slave given the group and mode a USB adapter's port has.
class RealPort : public ::testing::Test {
  protected:
    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to give the port a group and to drop "
                            "to another user";
        const group* dialout = getgrnam("dialout");
        if (!dialout) GTEST_SKIP() << "no dialout group on this machine";
        gid_ = dialout->gr_gid;
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        slave_ = ptsname(master_);
        ASSERT_EQ(chown(slave_.c_str(), 0, gid_), 0);
        ASSERT_EQ(chmod(slave_.c_str(), 0660), 0);
    }
    void TearDown() override {
        if (master_ >= 0) close(master_);
    }

    struct Outcome {
        std::string fault;
        std::string text; // the explanation
    };
    // Opens the slave through the program's port in a child (as `become` makes it) and
    // explains the failure as the program would.
    Outcome openInChild(const std::function<void()>& become) {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(out[0]);
            become();
            std::string text;
            try {
                auto port = makeQtSerialPort();
                port->open(slave_);
                text = "opened\n";
            } catch (const PortError& e) {
                const PortFailure failure = portFailureFrom(slave_, e, false);
                text = std::to_string(static_cast<int>(e.fault())) + "\n" +
                       joined(explainPortFailure(failure, linuxPortFacts(slave_)));
            }
            [[maybe_unused]] const auto n = write(out[1], text.data(), text.size());
            _exit(0);
        }
        close(out[1]);
        std::string text;
        char buf[4096];
        for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<std::size_t>(n));
        close(out[0]);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        const auto line = text.find('\n');
        return {text.substr(0, line), line == std::string::npos ? "" : text.substr(line + 1)};
    }

    gid_t gid_ = 0;
    int master_ = -1;
    std::string slave_;
};

std::string faultNumber(PortFault f) {
    return std::to_string(static_cast<int>(f));
}

TEST_F(RealPort, aUserOutsideThePortsGroupIsToldToJoinIt) {
    const Outcome o = openInChild([] {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    });
    EXPECT_EQ(o.fault, faultNumber(PortFault::accessDenied)) << o.text;
    for (const std::string& piece :
         {"Port " + slave_ + " (crw-rw----, właściciel root, grupa dialout)",
          "użytkownik nobody do niej nie należy"s, "sudo usermod -aG dialout nobody"s,
          "wyloguj się i zaloguj ponownie"s})
        EXPECT_NE(o.text.find(piece), std::string::npos) << piece << "\n" << o.text;
}

TEST_F(RealPort, aPortAnotherProgramHoldsNamesTheProgram) {
    const std::string self = "PID " + std::to_string(getpid());
    // A program that locks the port with flock, as picocom does; then this program's own
    // port, which also leaves Qt's lock file.
    struct Case {
        const char* what;
        std::function<std::function<void()>()> hold; // returns the release
    };
    const std::vector<Case> cases = {
        {"flock",
         [&]() -> std::function<void()> {
             const int fd = open(slave_.c_str(), O_RDWR | O_NOCTTY);
             EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
             return [fd] { close(fd); };
         }},
        {"another copy of the program",
         [&]() -> std::function<void()> {
             auto port = std::shared_ptr<SerialPort>(makeQtSerialPort());
             port->open(slave_);
             return [port] { port->close(); };
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto release = c.hold();
        const Outcome o = openInChild([] {});
        release();
        EXPECT_EQ(o.fault, faultNumber(PortFault::busy)) << o.text;
        EXPECT_NE(o.text.find("jest używany przez inny program"), std::string::npos) << o.text;
        EXPECT_NE(o.text.find(self), std::string::npos) << o.text;
    }
}

TEST_F(RealPort, aPortThatVanishesWhileOpenIsReportedGone) {
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
    port->close();
}

} // namespace
} // namespace qv
