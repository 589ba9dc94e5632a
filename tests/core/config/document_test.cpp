#include "config/config_document.hpp"
#include "config/item_lists.hpp"
#include "config/messages.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv {

namespace fs = std::filesystem;

TEST(Document, StartUpGivesAnUnchangedDefaultConfiguration) {
    VirtualClock clock({2024, 5, 17, 9, 5, 3, 0});
    ConfigDocument doc(clock, "/nonexistent/qvprog/");
    doc.startUp("COM1");
    EXPECT_EQ(doc.programSettings().portName, "COM1");
    EXPECT_FALSE(doc.programSettings().reverseReset);
    EXPECT_FALSE(doc.serviceMode());
    EXPECT_EQ(doc.caption(), "QV PROG 2.2.24 - [ /nonexistent/qvprog/new.qvx ]");
    ASSERT_EQ(doc.log().lines().size(), 2u);
    EXPECT_EQ(doc.log().lines()[0], "09:05:03 Start aplikacji");
    EXPECT_EQ(doc.log().lines()[1], "09:05:03 COM1");
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.image().getTextField(memmap::oOBJECT, 4), "0001");
    EXPECT_EQ(doc.image().getTextField(memmap::oPROG_DATE, 19), "2024-05-17 09:05:03");
    EXPECT_EQ(doc.image().getTextField(memmap::oFILE_NAME, 30), "new.qvx");
    EXPECT_EQ(doc.phoneBaseBuffer()[0], 0xFF);
    EXPECT_EQ(doc.phoneBaseBuffer()[32000], 0);
    EXPECT_EQ(doc.phoneBaseBuffer()[32300], 0xFF);
}

TEST(Document, NewConfigurationAsksOnlyAfterAChangeTheImageCovers) {
    VirtualClock clock;
    ConfigDocument doc(clock, "/x/");
    doc.startUp("COM1");
    clock.advance(std::chrono::seconds(5)); // a new programming date alone is no change
    EXPECT_FALSE(doc.isModified());
    doc.settings().description = {"memo"};
    doc.settings().input(3).description = "opis";
    EXPECT_FALSE(doc.isModified());
    doc.settings().apn = "my.apn";
    doc.settings().zone1Delay = 3;
    EXPECT_TRUE(doc.isModified());
    doc.newConfig();
    EXPECT_FALSE(doc.isModified());
    // Settings the defaults do not name survive; those they name are reset.
    EXPECT_EQ(doc.settings().apn, "my.apn");
    EXPECT_EQ(doc.settings().zone1Delay, 0);
    EXPECT_EQ(doc.settings().description, std::vector<std::string>{"memo"});
    for (int i = 0; i < 3; ++i)
        doc.newConfig();
    EXPECT_EQ(doc.settings().testPeriod, items::kTestPeriodItems - 1);
    EXPECT_EQ(doc.image()[memmap::oTEST_PERIOD], 144);
}

TEST(Document, ProgramStartValuesDifferFromTheDefaults) {
    Settings start;
    EXPECT_EQ(start.object, "0000");
    EXPECT_EQ(start.zone1Delay, 6);
    EXPECT_EQ(start.analog3, -1);
    EXPECT_FALSE(start.testPeriodListBuilt);
    EXPECT_EQ(start.input(1).deafTime, 2);
    EXPECT_EQ(start.output(1).param, -1);
}

TEST(Document, SettingsFileAndServiceMarkerBesideTheProgram) {
    const fs::path dir = fs::temp_directory_path() / "qvprog-exe-dir-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "QVPROG2.INI", std::ios::binary)
        << "[Settings]\r\nPort=/dev/ttyUSB3\r\nreverse_reset=1\r\n";
    std::ofstream(dir / "qvxlock.txt", std::ios::binary) << "";
    VirtualClock clock;
    ConfigDocument doc(clock, dir.string() + "/");
    doc.startUp("COM1");
    EXPECT_EQ(doc.programSettings().portName, "/dev/ttyUSB3");
    EXPECT_TRUE(doc.programSettings().reverseReset);
    EXPECT_TRUE(doc.serviceMode());
    EXPECT_EQ(doc.log().lines()[1].substr(9), "/dev/ttyUSB3");
    fs::remove_all(dir);
}

TEST(Document, HexDumpGoesToTheLogWithTimePrefix) {
    VirtualClock clock({2024, 5, 17, 9, 5, 3, 0});
    ConfigDocument doc(clock, "/x/");
    doc.startUp("COM1");
    doc.log().clear();
    doc.hexDumpToLog();
    const auto& lines = doc.log().lines();
    ASSERT_EQ(lines.size(), 321u);
    EXPECT_EQ(lines[0], "09:05:03 *");
    EXPECT_EQ(lines[3].substr(9, 26), "  32 38 37 33 30 30 30 31 ");
}

TEST(Document, AStoredImageIsUnchangedUntilEditedAndBelongsToNoFile) {
    const fs::path dir = fs::temp_directory_path() / "qvprog_document_stored_image";
    fs::create_directories(dir);
    for (const std::string carriedName : {"", "obiekt.qvx", "new.qvx"}) {
        SCOPED_TRACE(carriedName);
        VirtualClock clock({2024, 5, 17, 9, 5, 3, 0});
        ConfigDocument doc(clock, dir.string() + "/");
        doc.startUp("COM1");
        ConfigImage image = doc.image();
        image.putTextField("Magazyn", memmap::oOBJECT_NAME, 64);
        image.putTextField(carriedName, memmap::oFILE_NAME, 30);
        EXPECT_TRUE(doc.takeStoredImage(image, "Archiwum: wpis 7").empty());
        EXPECT_EQ(doc.caption(), "QV PROG 2.2.24 - [ Archiwum: wpis 7 ]");
        EXPECT_EQ(doc.origin(), "Archiwum: wpis 7");
        EXPECT_FALSE(doc.isModified());
        EXPECT_TRUE(doc.storedImage() == image);
        doc.settings().objectName = "Inny";
        EXPECT_TRUE(doc.isModified());
        // Saved, it is that file's; a new configuration is no archive entry either.
        const std::string path = (dir / "zapis.qvx").string();
        EXPECT_TRUE(doc.saveFile(path).saved);
        EXPECT_EQ(doc.origin(), "");
        EXPECT_EQ(doc.caption(), "QV PROG 2.2.24 - [ " + path + " ]");
        doc.takeStoredImage(image, "Archiwum: wpis 8");
        doc.newConfig();
        EXPECT_EQ(doc.caption(), "QV PROG 2.2.24 - [ " + (dir / "new.qvx").string() + " ]");
    }
    fs::remove_all(dir);
}

} // namespace qv
