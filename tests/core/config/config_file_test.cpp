#include "config/config_document.hpp"
#include "config/config_file.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/messages.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv {

namespace fs = std::filesystem;

class ConfigFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("qvprog-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        doc_.startUp("COM1");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static void write(const std::string& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
    VirtualClock clock_{{2024, 5, 17, 12, 35, 0, 0}};
    ConfigDocument doc_{clock_, "/opt/qvprog/"};
};

TEST_F(ConfigFiles, FileWithOnlyAPinLoadsEveryOtherDefault) {
    write(path("pin.qvx"), "[CONFIG]\r\nPIN=1111\r\n");
    doc_.settings().apn = "changed";
    const OpenResult r = doc_.openFile(path("pin.qvx"));
    ASSERT_TRUE(r.opened);
    const Settings& s = doc_.settings();
    EXPECT_EQ(s.pin, "1111");
    EXPECT_EQ(s.object, "9999");
    EXPECT_EQ(s.port, "1111");
    EXPECT_EQ(s.apn, "internet");
    EXPECT_EQ(s.pingTime, 14);
    EXPECT_EQ(s.clipTime, 1);
    EXPECT_EQ(s.gsmLevel, 3);
    EXPECT_TRUE(s.armSignal);
    EXPECT_TRUE(s.vorkal);
    EXPECT_TRUE(s.smsQvs2);
    for (int slot = 1; slot <= 15; ++slot)
        EXPECT_TRUE(s.input(slot).reset) << slot;
    EXPECT_EQ(s.input(1).deafTime, 9);
    // The header is missing.
    const auto& log = doc_.log().lines();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3].substr(9), std::string(msg::kLogFileDate) + "Brak / Brak");
    EXPECT_FALSE(doc_.isModified());
}

TEST_F(ConfigFiles, RadioPairsTakeTheKeyReadSecond) {
    write(path("old.qvx"), "[CONFIG]\nDGG16Z=1\nDTMF_SMS_QVS2=1\nDTMF_SMS_STAM=1\n"
                           "INPUT_NO.7=0\nINPUT_NC.7=0\nINPUT_NC.8=1\nINPUT_NC.3=1\n");
    ASSERT_TRUE(doc_.openFile(path("old.qvx")).opened);
    const Settings& s = doc_.settings();
    EXPECT_TRUE(s.vorkal); // VORKAL_MODE is missing, so its default (on) is read after DGG16Z
    EXPECT_FALSE(s.dgg16z);
    EXPECT_TRUE(s.smsStam);
    EXPECT_FALSE(s.smsQvs2);
    EXPECT_FALSE(s.input(7).no); // neither: stored like NO
    EXPECT_FALSE(s.input(7).nc);
    EXPECT_TRUE(s.input(8).nc);
    EXPECT_TRUE(s.input(3).no); // slots 1..4 are always NO
    EXPECT_EQ(doc_.image().getU16(memmap::oINPUT_TYPE), 1u << 7);
}

TEST_F(ConfigFiles, SavingOverAFileKeepsItsForeignLinesAndOldDescriptions) {
    std::string old = "; hand made\r\n[Config]\r\npin=0000\r\nFOREIGN=keep me\r\n[OTHER]\r\n"
                      "DESCRIPTION_LINES=10\r\n";
    for (int i = 0; i < 10; ++i)
        old += "DESCRIPTION_" + std::to_string(i) + "=old " + std::to_string(i) + "\r\n";
    write(path("desc.qvx"), old);
    ASSERT_TRUE(doc_.openFile(path("desc.qvx")).opened);
    EXPECT_EQ(doc_.settings().description.size(), 10u);
    doc_.settings().description = {"one", "two", "three"};
    ASSERT_TRUE(doc_.saveFile(path("desc.qvx")).saved);
    const std::string saved = read(path("desc.qvx"));
    EXPECT_EQ(saved.rfind("; hand made\r\n[Config]\r\npin=0000\r\nFOREIGN=keep me\r\n", 0), 0u);
    EXPECT_NE(saved.find("DESCRIPTION_9=old 9\r\n"), std::string::npos);
    EXPECT_NE(saved.find("DESCRIPTION_LINES=3\r\n"), std::string::npos);
    ASSERT_TRUE(doc_.openFile(path("desc.qvx")).opened);
    EXPECT_EQ(doc_.settings().description, (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(ConfigFiles, TextFileRoundTripGivesTheSameImage) {
    Settings& s = doc_.settings();
    s.objectName = "Sklep „Żabka” ul. Długa 5";
    s.sensor2LevelH = "-12.5";
    s.input(9).status = true;
    s.input(10).nc = true;
    s.input(10).no = false;
    s.input(12).alarmAction[2] = {"C+S", ActionColour::Teal};
    s.output(1).type = 1;
    applyOutputTypeRule(s, 1);
    s.output(4).type = 7;
    applyOutputTypeRule(s, 4);
    s.output(4).param = 254;
    s.addPhones[10] = "123";
    s.bellTime = 59;
    ASSERT_TRUE(doc_.saveFile(path("round.qvx")).saved);
    EXPECT_FALSE(doc_.isModified());
    const ConfigImage before = doc_.image();
    doc_.newConfig();
    ASSERT_TRUE(doc_.openFile(path("round.qvx")).opened);
    doc_.form2tab();
    for (std::size_t i = 0; i < ConfigImage::kSize; ++i) {
        if (i >= 103 && i <= 121) continue; // the programming date
        ASSERT_EQ(doc_.image()[i], before[i]) << "offset " << i;
    }
}

TEST_F(ConfigFiles, BinaryFileLayoutAndKinds) {
    ASSERT_TRUE(doc_.saveFile(path("conf.bCFG")).saved);
    const std::string bytes = read(path("conf.bCFG"));
    ASSERT_EQ(bytes.size(), 5123u);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 5120; ++i)
        sum += static_cast<unsigned char>(bytes[i]);
    EXPECT_EQ(bytes[5120], 0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[5121]), (sum >> 8) & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[5122]), sum & 0xFF);

    // "BCFG" inside the name opens as binary, but only the extension saves as binary.
    EXPECT_TRUE(opensAsBinary("abcBCFGx.qvx"));
    EXPECT_FALSE(savesAsBinary("abcBCFGx.qvx"));
    EXPECT_TRUE(savesAsBinary("x.bcfg"));
    write(path("abcBCFGx.qvx"), bytes);
    const OpenResult r = doc_.openFile(path("abcBCFGx.qvx"));
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.messages.back().text, msg::kOpened);
    EXPECT_FALSE(r.eventBuffer.has_value());
}

TEST_F(ConfigFiles, BinaryFileWithHistoryHandsOverTheEventBuffer) {
    ConfigImage img = doc_.image();
    img[0] = 0x42; // a byte no setting covers
    std::string bytes(reinterpret_cast<const char*>(img.data()), 5120);
    for (int i = 0; i < 8000; ++i)
        bytes.push_back(static_cast<char>(i % 251));
    unsigned sum = 0;
    for (const char c : bytes)
        sum += static_cast<unsigned char>(c);
    bytes +=
        std::string(1, '\0') + static_cast<char>((sum >> 8) & 0xFF) + static_cast<char>(sum & 0xFF);
    write(path("hist.bCFG"), bytes);
    const OpenResult r = doc_.openFile(path("hist.bCFG"));
    ASSERT_TRUE(r.opened);
    ASSERT_TRUE(r.eventBuffer.has_value());
    ASSERT_EQ(r.eventBuffer->size(), 8000u);
    EXPECT_EQ((*r.eventBuffer)[250], 250);
    EXPECT_EQ(doc_.image()[0], 0x42);
    EXPECT_EQ(doc_.configFileName(), "hist.bCFG");
}

TEST_F(ConfigFiles, RejectedBinaryFileChangesNothing) {
    ASSERT_TRUE(doc_.saveFile(path("good.bCFG")).saved);
    std::string bytes = read(path("good.bCFG"));
    doc_.newConfig();
    const ConfigImage before = doc_.image();
    const std::string name = doc_.configFileName();

    bytes[100] = static_cast<char>(bytes[100] + 1);
    write(path("bad.bCFG"), bytes);
    OpenResult r = doc_.openFile(path("bad.bCFG"));
    EXPECT_FALSE(r.opened);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, msg::kBadConfigFile);

    write(path("big.bCFG"), std::string(20000, '\0'));
    r = doc_.openFile(path("big.bCFG"));
    EXPECT_EQ(r.messages.at(0).text, msg::kBadFile);

    write(path("tiny.bCFG"), "\0\0");
    r = doc_.openFile(path("tiny.bCFG"));
    EXPECT_EQ(r.messages.at(0).text, std::string(msg::kFileOpenError) + path("tiny.bCFG") + "!");

    r = doc_.openFile(path("missing.bCFG"));
    EXPECT_EQ(r.messages.at(0).icon, UserMessage::Icon::Error);
    r = doc_.openFile(path("missing.qvx"));
    EXPECT_EQ(r.messages.at(0).text, std::string(msg::kTextOpenError) + " " + path("missing.qvx"));

    EXPECT_TRUE(doc_.image() == before);
    EXPECT_EQ(doc_.configFileName(), name);
    EXPECT_FALSE(doc_.isModified());
}

TEST_F(ConfigFiles, FailedSaveIsReportedAndLeavesTheConfigurationChanged) {
    doc_.settings().apn = "changed";
    for (const char* name : {"no-such-dir/x.qvx", "no-such-dir/x.bCFG"}) {
        const SaveResult r = doc_.saveFile(path(name));
        EXPECT_FALSE(r.saved);
        ASSERT_EQ(r.messages.size(), 1u) << name;
        EXPECT_EQ(r.messages[0].text, msg::kSaveError);
        EXPECT_TRUE(doc_.isModified());
    }
}

TEST_F(ConfigFiles, SaveLeavesNoTemporaryFilesAndWritesTheHeader) {
    ASSERT_TRUE(doc_.saveFile(path("h.qvx")).saved);
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_))
        ++files;
    EXPECT_EQ(files, 1);
    const std::string text = read(path("h.qvx"));
    EXPECT_EQ(text.rfind("[HEADER]\r\nDATE=2024-05-17\r\nTIME=12:35:00\r\nAPP=QV PROG 2.2.24\r\n"
                         "ORIGINAL_FILE_NAME=h.qvx\r\n[CONFIG]\r\nPIN=9873\r\n",
                         0),
              0u);
    EXPECT_NE(text.find("\r\nSENSOR_5_LevelL=-4.7\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nOUTPUT_PARAM1=-1\r\nOUTPUT_ALIAS1=\r\nOUTPUT_PARAM2=-1\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nRETURN_ACTION.1.1=X\r\n"), std::string::npos);
    // As the Windows profile functions write it: no blank line before a section.
    EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos);
}

} // namespace qv
