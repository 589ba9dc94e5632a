// qvprog-cli diff and write --readback, against files and the simulated module.
#include "cli_helpers.hpp"

#include "sim/sim_memory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace qv::test {
namespace {

using qv::loadSimMemory;
using qv::saveSimMemory;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A copy of the text file with one key's value replaced.
void withKey(const std::string& from, const std::string& to, const std::string& key,
             const std::string& value) {
    const std::regex line("(^|\n)" + key + "=[^\n]*");
    std::ofstream(to, std::ios::binary)
        << std::regex_replace(slurp(from), line, "$1" + key + "=" + value);
}

class DiffCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(runCli("defaults " + file("a.qvx")).exitCode, 0);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }
    std::string sim(const std::string& extra = "") const {
        return " --port sim:state=" + file("module.json") + extra;
    }
    std::string dir_;
};

TEST_F(DiffCli, FilesOfOneConfigurationAgreeAndAChangedSettingIsOneLine) {
    ASSERT_EQ(runCli("convert " + file("a.qvx") + " " + file("a.bCFG")).exitCode, 0);
    CliRun r = runCli("diff " + file("a.qvx") + " " + file("a.bCFG"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");

    withKey(file("a.qvx"), file("b.qvx"), "ALARM_PHONE.5", "600100200");
    r = runCli("diff " + file("a.bCFG") + " " + file("b.qvx"));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "ALARM_PHONE.5: \"\" -> 600100200  (Wejście 1(K) – Nr telefonu (alarm))\n");

    r = runCli("diff --json " + file("a.qvx") + " " + file("b.qvx"));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find("\"same\": false"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"key\": \"ALARM_PHONE.5\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"image\": []"), std::string::npos) << r.out;
}

// A file made elsewhere with a value longer than its field: each command that opens it warns on
// standard error; diff compares the whole value, the report prints what the module will hold.
TEST_F(DiffCli, AValueLongerThanItsFieldIsWarnedOfByEveryCommandThatOpensIt) {
    withKey(file("a.qvx"), file("long.qvx"), "ALARM_PHONE.5", "123456789012345678");
    const std::string warning = "(ALARM_PHONE.5): \"123456789012345678\" -> \"123456789012345\"\n";
    for (const std::string& command : {"diff " + file("a.qvx") + " " + file("long.qvx"),
                                       "report " + file("long.qvx") + " " + file("raport.html")}) {
        const CliRun r = runCli(command);
        EXPECT_NE(r.err.find(warning), std::string::npos) << command << "\n" << r.err;
        EXPECT_EQ(r.out.find("123456789012345 "), std::string::npos) << r.out;
    }
    EXPECT_NE(slurp(file("raport.html")).find("123456789012345 (obcięte)"), std::string::npos);
    EXPECT_EQ(runCli("diff " + file("a.qvx") + " " + file("long.qvx")).out,
              "ALARM_PHONE.5: \"\" -> 123456789012345678  (Wejście 1(K) – Nr telefonu (alarm))\n");
}

TEST_F(DiffCli, TheModuleAgreesAfterAWriteAndShowsExactlyTheChangedSetting) {
    ASSERT_EQ(runCli("write " + file("a.qvx") + sim()).exitCode, 0);
    CliRun r = runCli("diff " + file("a.qvx") + " module" + sim());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string before = slurp(file("module.json"));

    withKey(file("a.qvx"), file("b.qvx"), "OUTPUT_TYPE2", "3");
    r = runCli("diff module " + file("b.qvx") + sim());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "OUTPUT_TYPE2: Bistabilne SMS -> Błąd  (Ex 1 – Tryb pracy)\n");
    EXPECT_EQ(slurp(file("module.json")), before); // reading changes nothing

    r = runCli("diff module " + file("b.qvx") + sim() + " --json");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out.find("Odczyt"), std::string::npos) << "the link log goes to stderr";
    EXPECT_NE(r.err.find("Czytam konfigurację"), std::string::npos);
}

TEST_F(DiffCli, AnUncoveredModuleByteIsReportedAsAnImageRange) {
    ASSERT_EQ(runCli("write " + file("a.qvx") + sim()).exitCode, 0);
    std::string error;
    auto memory = loadSimMemory(file("module.json"), error);
    ASSERT_TRUE(memory) << error;
    memory->image[156] = 0xAB;
    memory->image[157] = 0xCD;
    ASSERT_TRUE(saveSimMemory(*memory, file("module.json"), error)) << error;

    const CliRun r = runCli("diff " + file("a.qvx") + " module" + sim());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    // 157 is the CLIP length: a setting shows it.
    EXPECT_NE(r.out.find("Obraz 156: 00 -> AB\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("CLIP_LENGTH: "), std::string::npos) << r.out;
}

TEST_F(DiffCli, BadUsageAndUnreadableInputsExitWithTwo) {
    EXPECT_EQ(runCli("diff " + file("a.qvx")).exitCode, 2);
    EXPECT_EQ(runCli("diff module module" + sim()).exitCode, 2);
    EXPECT_EQ(runCli("diff --bogus " + file("a.qvx") + " " + file("a.qvx")).exitCode, 2);
    CliRun r = runCli("diff " + file("a.qvx") + " " + file("missing.qvx"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("missing.qvx"), std::string::npos) << r.err;
    std::ofstream(file("bad.bCFG")) << "not a configuration";
    r = runCli("diff " + file("bad.bCFG") + " " + file("a.qvx"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Niepoprawny plik konfiguracji"), std::string::npos) << r.err;
    r = runCli("diff module " + file("a.qvx") + sim(",silent"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
}

TEST_F(DiffCli, ReadbackAgreesOnASoundModuleAndNamesTheByteStoredWrongly) {
    CliRun r = runCli("write " + file("a.qvx") + " --readback" + sim());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Odczyt kontrolny: moduł przechowuje wysłaną konfigurację\n"),
              std::string::npos)
        << r.out;

    r = runCli("write " + file("a.qvx") + " --readback" + sim(",corrupt=1000"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Odczyt kontrolny: moduł przechowuje inne bajty pod adresami: 1000\n"),
              std::string::npos)
        << r.err;

    EXPECT_EQ(runCli("read " + file("x.qvx") + " --readback" + sim()).exitCode, 2);
}

} // namespace
} // namespace qv::test
