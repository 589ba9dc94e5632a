// qvprog-cli and the configuration archive: what read and write keep, the archive commands,
// and archives that cannot keep anything, which never stop a session.
#include "cli_helpers.hpp"

#include "config/config_file.hpp"
#include "sim/sim_memory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class ArchiveCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        archive_ = dir_ + "/archiwum.sqlite";
        ::setenv("QVPROG_ARCHIVE", archive_.c_str(), 1);
        sim_ = "--port sim:state=" + dir_ + "/module.json";
        ASSERT_EQ(runCli("defaults " + dir_ + "/a.qvx").exitCode, 0);
    }
    void TearDown() override { fs::remove_all(dir_); }
    ConfigImage moduleImage() const {
        std::string error;
        const auto m = loadSimMemory(dir_ + "/module.json", error);
        EXPECT_TRUE(m) << error;
        return m ? m->image : ConfigImage{};
    }
    std::string dir_;
    std::string archive_;
    std::string sim_;
};

TEST_F(ArchiveCli, ReadAndWriteLeaveEntriesWhoseExportsAreTheModulesImage) {
    CliRun r = runCli("write " + dir_ + "/a.qvx " + sim_ + " --password 4321");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const ConfigImage written = moduleImage();
    r = runCli("read " + dir_ + "/b.qvx " + sim_ + " --password 4321");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");

    r = runCli("archive list");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto listed = lines(r.out);
    ASSERT_EQ(listed.size(), 2u) << r.out;
    // id, time, operation, serial number, site number, site name; the newest first.
    EXPECT_TRUE(listed[0].starts_with("2\t")) << listed[0];
    EXPECT_TRUE(listed[0].ends_with("\todczyt\t2392123\t0001\t")) << listed[0];
    EXPECT_TRUE(listed[1].starts_with("1\t")) << listed[1];
    EXPECT_TRUE(listed[1].ends_with("\tzapis\t2392123\t0001\t")) << listed[1];
    EXPECT_EQ(runCli("archive list 2392123").out, r.out);
    EXPECT_EQ(runCli("archive list 2392999").out, "");

    // Both exports are the module's image byte for byte.
    for (const std::string id : {"1", "2"}) {
        const std::string out = dir_ + "/entry" + id + ".bCFG";
        r = runCli("archive export " + id + " " + out);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(readAll(out) == encodeBinaryFile(written)) << "entry " << id;
    }
    // A text export holds the same configuration.
    ASSERT_EQ(runCli("archive export 2 " + dir_ + "/entry2.qvx").exitCode, 0);
    r = runCli("diff " + dir_ + "/entry2.qvx " + dir_ + "/entry1.bCFG");
    EXPECT_EQ(r.exitCode, 0) << r.out;

    r = runCli("archive diff 1 2");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(runCli("archive note 2 \"po wymianie akumulatora, Łódź\"").exitCode, 0);
}

TEST_F(ArchiveCli, ListsAndDifferencesNeverShowThePasswordOrThePin) {
    ASSERT_EQ(runCli("write " + dir_ + "/a.qvx " + sim_).exitCode, 0);
    ASSERT_EQ(runCli("write " + dir_ + "/a.qvx " + sim_ + " --password 8642").exitCode, 0);
    const CliRun list = runCli("archive list");
    const CliRun diff = runCli("archive diff 1 2");
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out, "PASSWORD: nie ustawione -> ustawione  (Hasło do modułu)\n");
    for (const auto& text : {list.out, list.err, diff.out, diff.err}) {
        EXPECT_EQ(text.find("8642"), std::string::npos) << text;
        EXPECT_EQ(text.find("9873"), std::string::npos) << text; // the default SIM PIN
    }
}

TEST_F(ArchiveCli, AReadBackIsKeptWithItsWrite) {
    struct Case {
        std::string port;
        int exitCode;
        std::string operation;
    };
    const Case cases[] = {
        {sim_, 0, "zapis (sprawdzony)"},
        {sim_ + ",corrupt=100", 1, "zapis (moduł ma inne bajty)"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli("write " + dir_ + "/a.qvx --readback " + c.port);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        const auto listed = lines(runCli("archive list").out);
        ASSERT_FALSE(listed.empty());
        EXPECT_NE(listed[0].find("\t" + c.operation + "\t"), std::string::npos) << listed[0];
    }
}

TEST_F(ArchiveCli, NoArchiveKeepsNothingAndFailedSessionsKeepNothing) {
    EXPECT_EQ(runCli("write " + dir_ + "/a.qvx --no-archive " + sim_).exitCode, 0);
    EXPECT_EQ(runCli("read " + dir_ + "/b.qvx --no-archive " + sim_).exitCode, 0);
    EXPECT_EQ(runCli("read " + dir_ + "/c.qvx " + sim_ + ",silent").exitCode, 1);
    EXPECT_EQ(runCli("identify " + sim_).exitCode, 0);
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(runCli("archive list").out, "");

    const CliRun r = runCli("identify --no-archive " + sim_);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Opcja --no-archive działa tylko z poleceniami read i write\n");
}

TEST_F(ArchiveCli, UnknownEntriesAndBadUsage) {
    ASSERT_EQ(runCli("read " + dir_ + "/b.qvx " + sim_).exitCode, 0);
    struct Case {
        std::string args;
        int exitCode;
        std::string err; // its first line
    };
    const std::string out = dir_ + "/x.bCFG";
    const Case cases[] = {
        {"archive export 99 " + out, 1, "Nie ma wpisu 99 w archiwum"},
        {"archive diff 1 99", 1, "Nie ma wpisu 99 w archiwum"},
        {"archive note 99 tekst", 1, "Nie ma wpisu 99 w archiwum"},
        {"archive export abc " + out, 2, "Błędny numer wpisu: abc"},
        {"archive export 0 " + out, 2, "Błędny numer wpisu: 0"},
        {"archive export -1 " + out, 2, "Błędny numer wpisu: -1"},
        {"archive export 1x " + out, 2, "Błędny numer wpisu: 1x"},
        {"archive note 1 \"$(printf '\\377')\"", 2, "Notatka nie jest tekstem UTF-8"},
        {"archive", 2, "Błędne argumenty polecenia archive"},
        {"archive list 1 2", 2, "Błędne argumenty polecenia archive"},
        {"archive export 1", 2, "Błędne argumenty polecenia archive"},
        {"archive remove 1", 2, "Błędne argumenty polecenia archive"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
        EXPECT_EQ(lines(r.err).empty() ? "" : lines(r.err)[0], c.err) << c.args;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(ArchiveCli, AnArchiveThatCannotKeepTheEntryNeverStopsTheSession) {
    std::string garbage(5000, '\0');
    for (std::size_t k = 0; k < garbage.size(); ++k)
        garbage[k] = static_cast<char>(k * 131 + 7);
    struct Case {
        std::string name;
        std::string bytes; // the archive file's, before
        std::string reason;
    };
    const Case cases[] = {
        {"garbage", garbage, "plik archiwum jest uszkodzony: "},
        {"truncated", "SQLite format 3", "plik archiwum jest uszkodzony: "},
    };
    for (const auto& c : cases) {
        const std::string path = dir_ + "/" + c.name + ".sqlite";
        std::ofstream(path, std::ios::binary) << c.bytes;
        ::setenv("QVPROG_ARCHIVE", path.c_str(), 1);
        const std::string message = "Archiwum: nie zapisano konfiguracji (" + c.reason + path + ")";
        for (const std::string& command :
             {"read " + dir_ + "/r.bCFG", "write " + dir_ + "/a.qvx --readback"}) {
            const CliRun r = runCli(command + " " + sim_);
            EXPECT_EQ(r.exitCode, 0) << c.name << ": " << command;
            EXPECT_EQ(lines(r.err), std::vector<std::string>{message}) << c.name << ": " << command;
            EXPECT_TRUE(readAll(path) == c.bytes) << c.name << ": the archive was changed";
        }
        EXPECT_TRUE(fs::exists(dir_ + "/r.bCFG"));
        const CliRun list = runCli("archive list");
        EXPECT_EQ(list.exitCode, 1);
        EXPECT_EQ(list.err, "Archiwum: nie można odczytać (" + c.reason + path + ")\n");
    }
}

TEST_F(ArchiveCli, TheArchiveLivesInTheUsersDataFolderUnlessNamed) {
    struct Case {
        std::string env;
        std::string file; // expected, relative to dir_ ("": none)
        std::string err;
    };
    const Case cases[] = {
        {"-u QVPROG_ARCHIVE -u XDG_DATA_HOME HOME=" + dir_ + "/home",
         "/home/.local/share/qvprog/archive.sqlite", ""},
        {"-u QVPROG_ARCHIVE XDG_DATA_HOME=" + dir_ + "/data HOME=" + dir_ + "/home",
         "/data/qvprog/archive.sqlite", ""},
        {"QVPROG_ARCHIVE=" + dir_ + "/named.sqlite", "/named.sqlite", ""},
        {"-u QVPROG_ARCHIVE -u XDG_DATA_HOME -u HOME", "",
         "Archiwum: nie zapisano konfiguracji (nie wiadomo, gdzie jest folder danych "
         "użytkownika)\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCliWithEnvironment(c.env, "read " + dir_ + "/b.qvx " + sim_);
        EXPECT_EQ(r.exitCode, 0) << c.env;
        EXPECT_EQ(r.err, c.err) << c.env;
        if (c.file.empty()) continue;
        struct stat st {};
        ASSERT_EQ(::stat((dir_ + c.file).c_str(), &st), 0) << c.env;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << c.env;
    }
}

} // namespace
} // namespace qv::test
