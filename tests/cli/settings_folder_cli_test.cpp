// Which QVPROG2.INI qvprog-cli reads: beside itself when its folder can be written, otherwise
// the user's configuration folder's. Each file names a different port; the simulated module
// answers only on "sim".
#include "cli_helpers.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

void writeIni(const fs::path& dir, const std::string& port) {
    fs::create_directories(dir);
    std::ofstream(dir / "QVPROG2.INI", std::ios::binary) << "[SETTINGS]\r\nport=" << port << "\r\n";
}

class SettingsFolderCli : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        bin_ = fs::path(root_) / "bin";
        fs::create_directories(bin_);
        fs::copy_file(QVPROG_CLI_PATH, bin_ / "qvprog-cli");
    }
    void TearDown() override {
        fs::permissions(bin_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }
    // identify, with the user's folders under the scratch folder.
    CliRun identify() const {
        const std::string cmd = "env XDG_CONFIG_HOME=\"" + root_ + "/cfg\" HOME=\"" + root_ +
                                "/home\" \"" + (bin_ / "qvprog-cli").string() + "\" identify";
        const std::string out = root_ + "/out.txt";
        CliRun r;
        const int status = std::system((cmd + " >\"" + out + "\" 2>&1 </dev/null").c_str());
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(out, std::ios::binary);
        r.out.assign(std::istreambuf_iterator<char>(in), {});
        return r;
    }
    std::string root_;
    fs::path bin_;
};

TEST_F(SettingsFolderCli, AWritableProgramFolderKeepsItsOwnSettings) {
    writeIni(bin_, "sim");
    writeIni(fs::path(root_) / "cfg" / "qvprog", "/nonexistent/qvprog-port");
    const CliRun r = identify();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Port: sim"), std::string::npos) << r.out;
}

TEST_F(SettingsFolderCli, AnUnwritableProgramFolderReadsTheUsersConfigurationFolder) {
    writeIni(bin_, "/nonexistent/qvprog-port");
    writeIni(fs::path(root_) / "cfg" / "qvprog", "sim");
    fs::permissions(bin_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (::access(bin_.c_str(), W_OK) == 0)
        GTEST_SKIP() << "the folder stays writable for this user (root); check-package.sh runs "
                        "this case as an ordinary user";
    const CliRun r = identify();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Port: sim"), std::string::npos) << r.out;
}

} // namespace
} // namespace qv::test
