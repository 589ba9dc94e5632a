#include "tools/sms_listing.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

std::string commandOf(const std::string& line) {
    return line.substr(line.rfind(": ") + 2);
}
std::string labelOf(const std::string& line) {
    return line.substr(0, line.rfind(": ") + 2);
}

TEST(SmsListing, CommandEncoding) {
    const std::uint8_t b30[] = {30};
    const std::uint8_t zeros[] = {0, 0};
    const std::uint8_t b24[] = {0x24};
    EXPECT_EQ(encodeSmsCommand(174, b30), "*PMAGSBO");
    EXPECT_EQ(encodeSmsCommand(426, zeros), "*PBAQKAAAA");
    EXPECT_EQ(encodeSmsCommand(152, b24), "*PGAFWCE");
    EXPECT_EQ(encodeSmsCommand(0, {}).substr(3), "AAA");
    EXPECT_EQ(encodeSmsCommand(4523, {}).substr(3), "GRZ");
    const std::uint8_t ff[] = {0xFF};
    EXPECT_EQ(encodeSmsCommand(0, ff).substr(6), "PP");
}

TEST(SmsListing, CommandFromImageStaysInsideTheImage) {
    ConfigImage image;
    image[5119] = 0x12;
    EXPECT_EQ(smsCommand(image, 5119, 4).size(), 6u + 2u); // only the byte that exists
    EXPECT_EQ(smsCommand(image, 6000, 4).size(), 6u);
}

TEST(SmsListing, LayoutLabelsAndSharedFlagCommands) {
    ConfigImage image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    const auto lines = smsListing(image);
    ASSERT_EQ(lines.size(), 191u);
    const std::string rule(77, '=');
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], rule);
    EXPECT_EQ(lines[190], rule);
    EXPECT_EQ(lines[11], "Hasło do modułu          : OPCJA ZABLOKOWANA");
    EXPECT_EQ(labelOf(lines[35]), "Telefon dodatkowy   10    : ");
    EXPECT_EQ(commandOf(lines[35]), smsCommand(image, 3973 + 90, 10));
    EXPECT_EQ(commandOf(lines[81]).substr(3, 3), "GRZ"); // phone 56 at 4523
    EXPECT_EQ(labelOf(lines[86]), "Tekst alarmu dla wejścia \"TEST\"       : ");
    EXPECT_EQ(labelOf(lines[105]), "Tekst powrotu dla wejścia 6            : ");
    EXPECT_EQ(labelOf(lines[108]), "Numer telefonu \"Sieć 220V\"  : ");
    EXPECT_EQ(labelOf(lines[122]), "Numer telefonu \"Expander6\"  : ");
    EXPECT_EQ(lines[123], "--- TELEFONY NA POWROT ---");
    EXPECT_EQ(labelOf(lines[156]), "Tekst powrotu dla wejścia \"Sieć 220V\"  : ");
    EXPECT_EQ(labelOf(lines[167]), "Telefon prywatny nr 3 : ");
    EXPECT_EQ(lines[182], "[ ZAKŁADKA: CENTRALKA ]");

    const std::string flags1 = smsCommand(image, 152, 1);
    for (int n : {16, 20, 21, 23, 171, 189})
        EXPECT_EQ(commandOf(lines[static_cast<std::size_t>(n - 1)]), flags1) << n;
    EXPECT_EQ(commandOf(lines[23]), commandOf(lines[24]));
    // Commands fit one SMS.
    for (const auto& l : lines)
        if (l.find("*P") != std::string::npos) {
            EXPECT_LE(commandOf(l).size(), 134u);
        }
}

TEST(SmsListing, EditingATextChangesOnlyItsCommands) {
    ConfigImage image;
    const auto before = smsListing(image);
    image.putTextField("ALARM", memmap::oAPN, memmap::wAPN);
    const auto after = smsListing(image);
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) {
            ++changed;
            EXPECT_EQ(i, 174u);
        }
    EXPECT_EQ(changed, 1);
}

} // namespace
} // namespace qv
