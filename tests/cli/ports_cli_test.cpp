// qvprog-cli and the machine's ports: the list with --verbose, and what a command says when
// its port is missing, held by another program or closed to the user. The held and closed
// ports are pseudo-terminals given the group and mode of a real port.
#include "cli_helpers.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::test {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The line after the port message (the message must be there).
std::string lineAfter(const std::string& err, const std::string& first) {
    const auto all = lines(err);
    const auto it = std::find(all.begin(), all.end(), first);
    if (it == all.end() || it + 1 == all.end()) return "<" + first + " missing in: " + err + ">";
    return *(it + 1);
}

TEST(PortsCli, theVerboseListTellsEveryPortsAccess) {
    const CliRun plain = runCli("ports");
    const CliRun verbose = runCli("ports --verbose");
    ASSERT_EQ(verbose.exitCode, 0) << verbose.err;
    const auto names = lines(plain.out);
    for (const auto& name : names)
        EXPECT_NE(verbose.out.find(name + "\n  "), std::string::npos) << name;
    std::size_t access = 0;
    for (const auto& line : lines(verbose.out))
        access += line.starts_with("  dostęp: ");
    EXPECT_EQ(access, names.size()) << verbose.out;
    EXPECT_EQ(runCli("ports --verbose --all").exitCode, 2);
}

TEST(PortsCli, aMissingPortIsExplainedAfterThePortMessage) {
    const std::string port = "/dev/qvprog-no-such-port";
    struct Case {
        std::string args;
        std::string first;
    };
    const std::vector<Case> cases = {
        {"identify --port " + port, "Błąd otwarcia portu: " + port},
        {"monitor --seconds 1 --port " + port, "Błąd otwarcia portu " + port},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(lineAfter(r.err, c.first),
                  "Nie ma portu " + port + " (No such file or directory).");
        // What there is instead: the adapters to choose from, or the simulated module.
        EXPECT_TRUE(r.err.find("(port sim)") != std::string::npos ||
                    r.err.find("--port ") != std::string::npos)
            << r.err;
    }
    // The simulated module's own faults are its options, with nothing to explain.
    const CliRun sim = runCli("identify --port sim:openfail");
    EXPECT_EQ(sim.err, "Błąd otwarcia portu: sim\n");
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
    void TearDown() override { close(master_); }
    int master_ = -1;
    std::string slave_;
};

TEST_F(PseudoTerminal, aPortAnotherProgramHoldsNamesIt) {
    const int held = open(slave_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    const CliRun r = runCli("identify --port " + slave_);
    close(held);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lineAfter(r.err, "Błąd otwarcia portu: " + slave_)
                  .rfind("Port " + slave_ + " jest używany przez inny program: ", 0),
              0u)
        << r.err;
    EXPECT_NE(r.err.find("(PID " + std::to_string(getpid())), std::string::npos) << r.err;
}

TEST_F(PseudoTerminal, aUserOutsideThePortsGroupGetsTheCommandToJoinIt) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give the port a group and drop to nobody";
    const group* dialout = getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "no dialout group on this machine";
    ASSERT_EQ(chown(slave_.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(slave_.c_str(), 0660), 0);
    const std::string dir = scratchDir("ports-nobody");
    const std::string err = dir + "/err";
    // The user nobody may not reach the build (a checkout in /root): it runs a copy.
    const std::string cli = dir + "/qvprog-cli";
    std::filesystem::copy_file(QVPROG_CLI_PATH, cli);
    std::filesystem::permissions(dir, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        if (fd < 0 || null < 0 || dup2(fd, 2) < 0 || dup2(null, 1) < 0 ||
            setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(100);
        setenv("HOME", "/tmp", 1);
        execl(cli.c_str(), "qvprog-cli", "identify", "--port", slave_.c_str(), nullptr);
        _exit(101);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(err);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(lines(text), (std::vector<std::string>{
                               "Błąd otwarcia portu: " + slave_,
                               "Port " + slave_ +
                                   " (crw-rw----, właściciel root, grupa dialout) mogą otwierać "
                                   "członkowie grupy dialout, a użytkownik nobody do niej nie "
                                   "należy.",
                               "Dodaj go do grupy poleceniem: sudo usermod -aG dialout nobody",
                               "Potem wyloguj się i zaloguj ponownie: nowa grupa działa od "
                               "następnego logowania.",
                           }));
}

} // namespace
} // namespace qv::test
