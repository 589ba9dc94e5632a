#include "cli_helpers.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv::test {

TEST(ConfigCli, DefaultsConvertInfoAndDump) {
    const std::string dir = scratchDir("config");
    const std::string qvx = dir + "/a.qvx";
    const std::string bin = dir + "/a.bCFG";

    CliRun r = runCli("defaults " + qvx);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Konfiguracja została zapisana\n");

    r = runCli("info " + qvx);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Otwarto: " + qvx + "\n"), std::string::npos);
    EXPECT_NE(r.out.find(" Konfiguracja utworzona programem : QV PROG 2.2.24\n"),
              std::string::npos);
    EXPECT_NE(r.out.find(" Oryginalna nazwa pliku           : a.qvx\n"), std::string::npos);

    r = runCli("convert " + qvx + " " + bin);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::filesystem::file_size(bin), 5123u);

    r = runCli("dump " + bin);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 2), "*\n");
    EXPECT_NE(r.out.find("\n  32 38 37 33 30 30 30 31 "), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(ConfigCli, RefusedFilesAndBadUsage) {
    const std::string dir = scratchDir("refused");
    std::ofstream(dir + "/bad.bCFG") << "this is not a configuration";
    CliRun r = runCli("info " + dir + "/bad.bCFG");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Niepoprawny plik konfiguracji\n");

    r = runCli("convert " + dir + "/missing.qvx " + dir + "/out.qvx");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "/out.qvx"));

    EXPECT_EQ(runCli("convert onlyone").exitCode, 2);
    EXPECT_EQ(runCli("no-such-command").exitCode, 2);
    EXPECT_EQ(runCli("").exitCode, 2);
    std::filesystem::remove_all(dir);
}

} // namespace qv::test
