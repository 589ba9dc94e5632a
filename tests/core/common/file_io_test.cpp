#include "common/file_io.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
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
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no owner-only permissions, only a read-only mark";
#endif
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
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links on Windows need a privilege the tests do not have";
#endif
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

TEST_F(AtomicSave, NewFileIsNeverOneAlreadyThere) {
    const auto path = dir_ / "x.qvx.tmp-1";
    std::FILE* f = openNewFile(path);
    ASSERT_TRUE(f);
    EXPECT_GE(std::fputs("first", f), 0);
    EXPECT_EQ(std::fclose(f), 0);
    errno = 0;
    f = openNewFile(path);
    EXPECT_FALSE(f);
    EXPECT_EQ(errno, EEXIST);
    if (f) std::fclose(f);
    EXPECT_EQ(read(path), "first");
}

TEST_F(AtomicSave, MissingFolderIsReportedAndCreatesNothing) {
    EXPECT_TRUE(writeFileAtomic((dir_ / "missing" / "x.qvx").string(), "x"));
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST(FilePaths, Utf8NamesBecomePathsAndBackByteForByte) {
    const std::string name = "Paweł/zażółć.qvx";
    const auto path = pathFromUtf8(name);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, fs::path(u8"Paweł/zażółć.qvx"));
    EXPECT_EQ(path->filename(), fs::path(u8"zażółć.qvx"));
    EXPECT_EQ(utf8FromPath(*path), name);
    EXPECT_EQ(utf8FromPath(fs::path()), "");

    // Bytes that are not UTF-8 (a Windows-1250 "ł") are a name as they stand on POSIX; on
    // Windows they name nothing, and the file calls say so instead of failing.
    const std::string cp1250 = "Pawe\xB3.qvx";
#ifdef _WIN32
    EXPECT_FALSE(pathFromUtf8(cp1250));
    EXPECT_FALSE(fileExists(cp1250));
    EXPECT_EQ(readFileLimited(cp1250, 100).status, ReadResult::Status::Missing);
    EXPECT_TRUE(writeFileAtomic(cp1250, "x"));
#else
    ASSERT_TRUE(pathFromUtf8(cp1250));
    EXPECT_EQ(pathFromUtf8(cp1250)->native(), cp1250);
    EXPECT_EQ(utf8FromPath(*pathFromUtf8(cp1250)), cp1250);
#endif
}

TEST(FilePaths, FolderAndNameSplitByPlatformRules) {
    struct Case {
        const char* path;
        const char* dir;
        const char* name;
    };
    // Either rule.
    for (auto style : {PathStyle::Posix, PathStyle::Windows}) {
        for (const Case& c : {Case{"x.qvx", "", "x.qvx"}, Case{"/a/b/x.qvx", "/a/b/", "x.qvx"},
                              Case{"dir/", "dir/", ""}, Case{"", "", ""},
                              Case{"Paweł/łąś.bCFG", "Paweł/", "łąś.bCFG"}}) {
            const SplitPath s = splitPath(c.path, style);
            EXPECT_EQ(s.dir, c.dir) << c.path;
            EXPECT_EQ(s.name, c.name) << c.path;
        }
    }
    // Windows: "\" ends a folder too, and a drive letter alone is the current folder of the drive.
    for (const Case& c :
         {Case{"C:\\dir\\x.qvx", "C:\\dir\\", "x.qvx"}, Case{"C:x.qvx", "C:", "x.qvx"},
          Case{"c:", "c:", ""}, Case{"C:\\x.bCFG", "C:\\", "x.bCFG"},
          Case{"C:/a\\b/x.qvx", "C:/a\\b/", "x.qvx"},
          Case{"\\\\server\\share\\x.qvx", "\\\\server\\share\\", "x.qvx"},
          Case{"1:x.qvx", "", "1:x.qvx"}, Case{"ab:x.qvx", "", "ab:x.qvx"}}) {
        const SplitPath s = splitPath(c.path, PathStyle::Windows);
        EXPECT_EQ(s.dir, c.dir) << c.path;
        EXPECT_EQ(s.name, c.name) << c.path;
        EXPECT_EQ(s.dir + s.name, c.path);
    }
    // POSIX: "\" and ":" are letters of a name.
    EXPECT_EQ(splitPath("C:\\dir\\x.qvx", PathStyle::Posix).name, "C:\\dir\\x.qvx");
    EXPECT_EQ(splitPath("a\\b/c\\d", PathStyle::Posix).dir, "a\\b/");
    EXPECT_EQ(splitPath("C:x.qvx", PathStyle::Posix).dir, "");
#ifdef _WIN32
    EXPECT_EQ(splitPath("C:\\dir\\x.qvx").name, "x.qvx");
#else
    EXPECT_EQ(splitPath("C:\\dir\\x.qvx").name, "C:\\dir\\x.qvx");
#endif
}

} // namespace
} // namespace qv
