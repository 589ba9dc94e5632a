// Saving every kind of file where the save cannot succeed: the old file stays as it was, the
// data in memory is kept, and the failure is reported with the program's message.
#include "files_helpers.hpp"
#include "savers.hpp"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOldContent = "[OLD]\r\nkept=1\r\n";

void expectRefused(const Saver& saver, const SaveOutcome& outcome, const std::string& dir) {
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, saver.failureMessage + (saver.withPath ? dir + saver.fileName : ""));
    EXPECT_TRUE(saver.memoryKept());
}

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

std::string kindName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (auto& c : name)
        if (c == '.') c = '_';
    return name;
}

class FilesUnderStress : public ::testing::TestWithParam<std::string> {};

TEST_P(FilesUnderStress, MissingFolder) {
    const Saver saver = makeSaver(GetParam());
    ScratchFolder scratch("missing");
    const std::string dir = scratch.dir() + "not-there/";
    expectRefused(saver, saver.save(dir), dir);
    EXPECT_EQ(entries(scratch.path()), 0u);
}

TEST_P(FilesUnderStress, DirectoryInPlaceOfTheFile) {
    const Saver saver = makeSaver(GetParam());
    ScratchFolder scratch("folder");
    fs::create_directory(scratch.path() / saver.fileName);
    writeWholeFile(scratch.path() / saver.fileName / "inside", kOldContent);
    expectRefused(saver, saver.save(scratch.dir()), scratch.dir());
    EXPECT_EQ(readWholeFile(scratch.path() / saver.fileName / "inside"), kOldContent);
    EXPECT_EQ(entries(scratch.path()), 1u);
}

#ifndef _WIN32
TEST_P(FilesUnderStress, LinkToDevFull) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
    const Saver saver = makeSaver(GetParam());
    ScratchFolder scratch("devfull");
    fs::create_symlink("/dev/full", scratch.path() / saver.fileName);
    expectRefused(saver, saver.save(scratch.dir()), scratch.dir());
    EXPECT_TRUE(fs::is_symlink(scratch.path() / saver.fileName));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(entries(scratch.path()), 1u);
}

TEST_P(FilesUnderStress, FullDisk) {
    const Saver saver = makeSaver(GetParam());
    ScratchFolder scratch("full");
    const FullDisk disk(scratch.path() / "disk");
    if (disk.reason()) GTEST_SKIP() << *disk.reason();
    const std::string dir = (scratch.path() / "disk").string() + "/";
    writeWholeFile(dir + saver.fileName, kOldContent);
    disk.fill();
    expectRefused(saver, saver.save(dir), dir);
    EXPECT_EQ(readWholeFile(dir + saver.fileName), kOldContent);
    EXPECT_EQ(entries(dir), 2u); // the old file and the filler: no temporary file is left
}
#endif

INSTANTIATE_TEST_SUITE_P(EveryFile, FilesUnderStress, ::testing::ValuesIn(kSaverKinds), kindName);

// Root ignores permissions: these run only as an unprivileged user, started by the test below.
class AsNobody : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override { ASSERT_FALSE(runningAsRoot()) << "needs an unprivileged user"; }
};

TEST_P(AsNobody, ReadOnlyFile) {
    const Saver saver = makeSaver(GetParam());
    ScratchFolder scratch("rofile");
    const fs::path file = scratch.path() / saver.fileName;
    writeWholeFile(file, kOldContent);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    expectRefused(saver, saver.save(scratch.dir()), scratch.dir());
    EXPECT_EQ(readWholeFile(file), kOldContent);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(entries(scratch.path()), 1u);
}

TEST_P(AsNobody, ReadOnlyFolder) {
    const Saver saver = makeSaver(GetParam());
    ScratchFolder scratch("rofolder");
    const fs::path file = scratch.path() / saver.fileName;
    writeWholeFile(file, kOldContent);
    fs::permissions(scratch.path(), fs::perms::owner_read | fs::perms::owner_exec);
    expectRefused(saver, saver.save(scratch.dir()), scratch.dir());
    EXPECT_EQ(readWholeFile(file), kOldContent);
    EXPECT_EQ(entries(scratch.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(DISABLED_EveryFile, AsNobody, ::testing::ValuesIn(kSaverKinds), kindName);

TEST(FilesAsUnprivilegedUser, ReadOnlyFilesAndFoldersAreRefusedAndKept) {
    std::string reason;
    const auto run = runTestsAsNobody("DISABLED_EveryFile/AsNobody.*", reason);
    if (!run) GTEST_SKIP() << reason;
    EXPECT_EQ(run->exitCode, 0) << run->output;
    EXPECT_NE(run->output.find("[  PASSED  ] 12 tests."), std::string::npos) << run->output;
}

} // namespace
} // namespace qv::test
