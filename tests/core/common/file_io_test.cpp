#include "common/file_io.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace qv {
namespace {

namespace fs = std::filesystem;

class AtomicSave : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qvprog_atomic_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void write(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }
    fs::path dir_;
};

TEST_F(AtomicSave, KeepsThePermissionsOfTheReplacedFile) {
    const auto path = dir_ / "secret.qvx";
    write(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_FALSE(writeFileAtomic(path.string(), "PIN=1234"));
    EXPECT_EQ(read(path), "PIN=1234");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicSave, WritesThroughSymbolicLinksToTheirTarget) {
    fs::create_directory(dir_ / "real");
    write(dir_ / "real" / "file.qvx", "old");
    fs::create_symlink("real/file.qvx", dir_ / "hop"); // relative to the link's folder
    fs::create_symlink(dir_ / "hop", dir_ / "link.qvx");
    ASSERT_FALSE(writeFileAtomic((dir_ / "link.qvx").string(), "new"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.qvx"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "hop"));
    EXPECT_EQ(read(dir_ / "real" / "file.qvx"), "new");

    // A link to a file not there yet creates that file; a loop of links is refused.
    fs::create_symlink("real/fresh.qvx", dir_ / "dangling");
    ASSERT_FALSE(writeFileAtomic((dir_ / "dangling").string(), "fresh"));
    EXPECT_EQ(read(dir_ / "real" / "fresh.qvx"), "fresh");
    fs::create_symlink("loop2", dir_ / "loop1");
    fs::create_symlink("loop1", dir_ / "loop2");
    EXPECT_TRUE(writeFileAtomic((dir_ / "loop1").string(), "x"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "loop1"));
}

TEST_F(AtomicSave, NeverReplacesWhatIsNotARegularFile) {
    fs::create_directory(dir_ / "folder.qvx");
    EXPECT_TRUE(writeFileAtomic((dir_ / "folder.qvx").string(), "x"));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.qvx"));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);
    EXPECT_TRUE(writeFileAtomic((dir_ / "pipe").string(), "x"));
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
    // A device node of the full device made in the test's own folder (root only), so that a
    // faulty save could never replace the system's /dev/full: it stays a device.
    const auto device = dir_ / "full";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        EXPECT_TRUE(writeFileAtomic(device.string(), "x"));
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_EQ(entries(), fs::exists(device) ? 3u : 2u);
#endif
}

TEST_F(AtomicSave, MissingFolderIsReportedAndCreatesNothing) {
    EXPECT_TRUE(writeFileAtomic((dir_ / "missing" / "x.qvx").string(), "x"));
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

} // namespace
} // namespace qv
