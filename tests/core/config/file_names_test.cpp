// Configurations saved to and opened from folders and files whose names hold Polish letters:
// the common case for the program's users, on every system (Windows takes such names only
// through its wide calls).
#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "config/config_document.hpp"
#include "config/memmap.hpp"
#include "config/messages.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv {
namespace {

namespace fs = std::filesystem;

class PolishFileNames : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() /
            ("qvprog-names-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(root_);
        folder_ = root_ / u8"Paweł";
        fs::create_directories(folder_);
        doc_.startUp("COM1");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    // The UTF-8 text of a file in the folder, as the windows and the command line pass it on.
    std::string path(const char8_t* name) const { return utf8FromPath(folder_ / name); }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path root_;
    fs::path folder_;
    VirtualClock clock_{{2024, 5, 17, 12, 35, 0, 0}};
    ConfigDocument doc_{clock_, "/opt/qvprog/"};
};

TEST_F(PolishFileNames, TextAndBinaryConfigurationsSaveAndOpen) {
    const std::string folderText = utf8FromPath(folder_);
    ASSERT_FALSE(folderText.empty());
    const std::string dir = splitPath(path(u8"x")).dir;
    ASSERT_EQ(dir.size(), folderText.size() + 1); // the folder and its delimiter
    ASSERT_EQ(dir.compare(0, folderText.size(), folderText), 0);

    for (const char8_t* name : {u8"zażółć.qvx", u8"łąś.bCFG"}) {
        const std::string nameText = utf8FromPath(name);
        SCOPED_TRACE(nameText);
        doc_.settings().objectName = "Gęślą jaźń";
        doc_.settings().pin = "4321";
        ASSERT_TRUE(doc_.saveFile(path(name)).saved);
        // The file is there under its own name, and the document took folder and name apart.
        EXPECT_TRUE(fs::is_regular_file(folder_ / name));
        EXPECT_EQ(doc_.configDir(), dir);
        EXPECT_EQ(doc_.configFileName(), nameText);
        EXPECT_EQ(doc_.caption(), std::string(msg::kAppVersion) + " - [ " + dir + nameText + " ]");

        ConfigDocument other(clock_, "/opt/qvprog/");
        other.startUp("COM1");
        ASSERT_TRUE(other.openFile(path(name)).opened);
        EXPECT_EQ(other.settings().objectName, "Gęślą jaźń");
        EXPECT_EQ(other.settings().pin, "4321");
        EXPECT_EQ(other.configFileName(), nameText);
        // The configuration's file name field holds the name alone, never the folder.
        const auto field = toCp1250(nameText);
        for (std::size_t i = 0; i < field.size(); ++i)
            EXPECT_EQ(other.image()[memmap::oFILE_NAME + static_cast<int>(i)],
                      static_cast<std::uint8_t>(field[i]));
        EXPECT_EQ(other.image()[memmap::oFILE_NAME + static_cast<int>(field.size())], 0);
    }
    EXPECT_NE(read(folder_ / u8"zażółć.qvx")
                  .find("ORIGINAL_FILE_NAME=" + toCp1250("zażółć.qvx") + "\r\n"),
              std::string::npos);
}

TEST_F(PolishFileNames, FileMadeElsewhereIsFoundAndReplaced) {
    // Written by another program under the wide name: it must not read as missing.
    std::ofstream(folder_ / u8"żółw.qvx", std::ios::binary) << "[CONFIG]\r\nPIN=2468\r\n";
    ASSERT_TRUE(doc_.openFile(path(u8"żółw.qvx")).opened);
    EXPECT_EQ(doc_.settings().pin, "2468");
    doc_.settings().pin = "1357";
    ASSERT_TRUE(doc_.saveFile(path(u8"żółw.qvx")).saved);
    EXPECT_NE(read(folder_ / u8"żółw.qvx").find("PIN=1357\r\n"), std::string::npos);
    // Replaced through a temporary file that does not stay behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);

    const OpenResult missing = doc_.openFile(path(u8"brak-ćmy.qvx"));
    EXPECT_FALSE(missing.opened);
    ASSERT_FALSE(missing.messages.empty());
    EXPECT_NE(missing.messages.front().text.find(path(u8"brak-ćmy.qvx")), std::string::npos);
}

} // namespace
} // namespace qv
