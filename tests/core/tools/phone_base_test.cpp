#include "tools/phone_base.hpp"
#include "tools/phone_base_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv {
namespace {

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

std::string readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

TEST(PhoneBase, NumberRecords) {
    const auto rec = encodePhoneNumber("987654321");
    EXPECT_EQ(rec, (std::array<std::uint8_t, 8>{0xFF, 0xFF, 0xFF, 0xF9, 0x87, 0x65, 0x43, 0x21}));
    EXPECT_EQ(decodePhoneNumber(rec.data()), "987654321");
    const auto full = encodePhoneNumber("1234567890123456");
    EXPECT_EQ(full[0], 0x12);
    EXPECT_EQ(decodePhoneNumber(full.data()), "1234567890123456");
    EXPECT_EQ(decodePhoneNumber(encodePhoneNumber("0987654321").data()), "0987654321");
    EXPECT_EQ(decodePhoneNumber(encodePhoneNumber("99912345678901234567").data()),
              "2345678901234567"); // only the last 16 digits
    const std::uint8_t empty[8] = {0, 0, 0, 0, 0, 0, 0, 0xFF};
    EXPECT_EQ(decodePhoneNumber(empty), "");
}

TEST(PhoneBase, EmptyBaseEncodesToFillerAndZeroTexts) {
    PhoneBaseTable table;
    PhoneBaseImage image;
    ASSERT_TRUE(encodePhoneBase(table, image).ok);
    EXPECT_EQ(image, PhoneBaseImage::empty());
    for (std::size_t i = 0; i < kPhoneNumbersSize; ++i)
        ASSERT_EQ(image.bytes[i], 0xFF);
    for (std::size_t i = kPhoneNumbersSize; i < kPhoneBaseImageSize; ++i)
        ASSERT_EQ(image.bytes[i], 0);
}

TEST(PhoneBase, RoundTripAndTexts) {
    PhoneBaseTable table;
    table.numbers[0] = "987654321";
    table.numbers[3999] = "0048123456789";
    table.names[0] = "Jan";
    table.welcome = "Witaj w bazie, żółw";
    table.goodbye = std::string(200, 'x');
    PhoneBaseImage image = PhoneBaseImage::empty();
    ASSERT_TRUE(encodePhoneBase(table, image).ok);
    EXPECT_EQ(image.bytes[kWelcomeOffset + 15], 0xBF); // "ż" in Windows-1250
    EXPECT_EQ(image.bytes[kGoodbyeOffset + 148], 'x');
    EXPECT_EQ(image.bytes[kGoodbyeOffset + 149], 0);

    PhoneBaseTable back;
    back.names[0] = "kept";
    decodePhoneBase(image, back);
    EXPECT_EQ(back.numbers[0], "987654321");
    EXPECT_EQ(back.numbers[3999], "0048123456789");
    EXPECT_EQ(back.names[0], "kept"); // descriptions never come from the module
    EXPECT_EQ(back.welcome, table.welcome);
    EXPECT_EQ(back.goodbye, std::string(149, 'x'));

    image.bytes[kWelcomeOffset + 2] = 0; // a zero byte inside the text is dropped
    decodePhoneBase(image, back);
    EXPECT_EQ(back.welcome, "Wiaj w bazie, żółw");
}

TEST(PhoneBase, NonDigitNumberRefusesTheWriteAndLeavesTheImage) {
    PhoneBaseTable table;
    table.numbers[0] = "123456789";
    table.numbers[41] = "+48123456789";
    PhoneBaseImage image = PhoneBaseImage::empty();
    const auto result = encodePhoneBase(table, image);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("42"), std::string::npos);
    EXPECT_EQ(image, PhoneBaseImage::empty());
}

TEST(PhoneBase, ChecksBeforeWriteAndAfterRead) {
    PhoneBaseTable table;
    table.numbers[0] = "12345678";  // 8 digits: too short
    table.numbers[1] = "1-2";       // 2 digits once the rest is dropped
    table.numbers[2] = "123456789"; // fine
    table.numbers[3] = "abc";       // no digits: not counted
    EXPECT_EQ(countShortNumbers(table), 2);
    EXPECT_EQ(shortNumbersMessage(2),
              "!!! Znaleziono 2 bledow w numerach telefonow - operacja przerwana !!!");

    PhoneBaseImage image = PhoneBaseImage::empty();
    EXPECT_TRUE(isValidReadImage(image));
    image.bytes[100] = 0xF5;
    EXPECT_TRUE(isValidReadImage(image));
    image.bytes[100] = 0xAF;
    EXPECT_FALSE(isValidReadImage(image));
    image.bytes[100] = 0x5E;
    EXPECT_FALSE(isValidReadImage(image));
    image.bytes[100] = 0xFF;
    image.bytes[kWelcomeOffset] = 0xAA; // texts are not checked
    EXPECT_TRUE(isValidReadImage(image));
}

TEST(PhoneBase, SearchCountAndEditedCells) {
    PhoneBaseTable table;
    table.numbers[5] = "600100200";
    table.names[9] = "Kowalski 600";
    table.numbers[20] = "700";
    EXPECT_EQ(searchPhoneBase(table, "").count, 0);
    const auto found = searchPhoneBase(table, "600");
    EXPECT_EQ(found.count, 2);
    EXPECT_EQ(found.firstRow, 5);
    EXPECT_EQ(searchPhoneBase(table, "kowalski").count, 0); // case matters
    EXPECT_EQ(occupiedText(occupiedRows(table)), "2 z 4000");
    EXPECT_EQ(trimEditedCell("12345678901234567"), "2345678901234567");
    EXPECT_EQ(trimEditedCell("ąąąąąąąąąąąąąąąąą"), "ąąąąąąąąąąąąąąąą");
}

// What the phone base window does, step by step, and what the end of the program would lose.
// n types a number, d a description, w writes the grid into the held image, m is the module
// taking it, r a read from the module, f a file saved, c a new configuration (an empty held
// image), s the window shown again (the grid follows the image unless entries wait).
TEST(PhoneBaseDraft, EntriesAreUnsavedUntilTheModuleOrAFileHoldsThem) {
    const struct {
        const char* steps;
        bool unsaved;
        bool followsImage;
    } cases[] = {
        {"", false, true},    {"n", true, false},    {"d", true, true},   {"nf", false, false},
        {"nw", true, true},   {"nwm", false, true},  {"nws", true, true}, {"nwcs", false, true},
        {"ncs", true, false}, {"r", false, true},    {"rd", true, true},  {"dfn", true, false},
        {"nwr", false, true}, {"nwmnw", true, true},
    };
    for (const auto& c : cases) {
        PhoneBaseDraft draft;
        PhoneBaseTable image, module; // the numbers and texts the program and the module hold
        module.numbers[1] = "500600700";
        const auto show = [&] {
            draft.grid().numbers = image.numbers;
            draft.shownFromImage();
        };
        for (const char step : std::string_view(c.steps)) {
            if (step == 'n') draft.grid().numbers[0] += "1";
            if (step == 'd') draft.grid().names[0] += "x";
            if (step == 'w') image = draft.grid(), draft.writtenToImage();
            if (step == 'm') module = image, draft.heldByModule();
            if (step == 'r') image = module, show(), draft.heldByModule();
            if (step == 'f') draft.keptInFile();
            if (step == 'c') image = PhoneBaseTable{};
            if (step == 's' && draft.followsImage()) show();
        }
        EXPECT_EQ(draft.unsaved(), c.unsaved) << c.steps;
        EXPECT_EQ(draft.followsImage(), c.followsImage) << c.steps;
    }
}

TEST(PhoneBaseFile, SaveAndLoadRoundTripInWindows1250) {
    PhoneBaseTable table;
    for (int i = 0; i < kPhoneBaseRows; i += 3) {
        table.numbers[static_cast<std::size_t>(i)] = std::to_string(500000000 + i);
        table.names[static_cast<std::size_t>(i)] = "Łukasz " + std::to_string(i);
    }
    table.welcome = "Dzień dobry";
    table.goodbye = "Do widzenia";
    const auto path = tempPath("qvprog_phone_test.PHBINI");
    ASSERT_TRUE(savePhoneBaseFile(path, table).ok);
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.substr(0, 40), "[ADDITIONAL_PHONE]\r\nNUMBER_1=500000000\r\n");
    EXPECT_NE(bytes.find("NAME_1=\xA3ukasz 0\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("GOOBYE_STRING=Do widzenia\r\n"), std::string::npos);

    PhoneBaseTable loaded;
    const auto result = loadPhoneBaseFile(path, loaded);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.message, "Odczytano");
    EXPECT_EQ(loaded, table);
    std::filesystem::remove(path);
}

TEST(PhoneBaseFile, LoadFollowsIniRules) {
    const auto path = tempPath("qvprog_phone_ini.PHBINI");
    {
        std::ofstream f(path, std::ios::binary);
        f << "[OTHER]\nNUMBER_1=111\n[additional_phone]\n number_1 = 123456789 \nNUMBER_1=999\n"
             "NAME_2=\"quoted\"\nnot a key line\nNUMBER_3=12ab\nWELCOME_STRING="
          << std::string(300, 'w') << "\n";
    }
    PhoneBaseTable table;
    table.numbers[10] = "stale";
    ASSERT_TRUE(loadPhoneBaseFile(path, table).ok);
    EXPECT_EQ(table.numbers[0], "123456789"); // first occurrence, blanks trimmed
    EXPECT_EQ(table.names[1], "quoted");
    EXPECT_EQ(table.numbers[2], "12ab"); // taken as it stands
    EXPECT_EQ(table.numbers[10], "");    // a missing key reads as empty
    EXPECT_EQ(table.welcome.size(), 149u);

    // Saving keeps the other section.
    ASSERT_TRUE(savePhoneBaseFile(path, table).ok);
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.substr(0, 23), "[OTHER]\r\nNUMBER_1=111\r\n");
    std::filesystem::remove(path);

    PhoneBaseTable untouched;
    untouched.numbers[0] = "1";
    const auto missing = loadPhoneBaseFile(tempPath("no_such_dir/x.PHBINI"), untouched);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.message, "Błąd odczytania konfiguracji");
    EXPECT_EQ(untouched.numbers[0], "1");
    EXPECT_EQ(savePhoneBaseFile("/nonexistent-dir/x.PHBINI", untouched).message,
              "Błąd zapisu konfiguracji");
}

} // namespace
} // namespace qv
