// Random file contents must never crash the readers nor leave the settings unusable.
#include "config/config_file.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/ini_profile.hpp"

#include <gtest/gtest.h>

#include <random>

namespace qv {

TEST(RandomInput, ProfilesOfRandomBytesLoadWithoutHarm) {
    std::mt19937 rng(12345);
    const std::string alphabet = "[]=;.\r\n\"' 0123456789-ACDEFGHIKLMNOPRSTUVXZ_abcxyz\xB9\xEA";
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int n = static_cast<int>(rng() % 3000);
        for (int i = 0; i < n; ++i)
            bytes.push_back(rng() % 4 == 0 ? static_cast<char>(rng() % 256)
                                           : alphabet[rng() % alphabet.size()]);
        // Sprinkle real keys so the readers take the number paths too.
        bytes += "\n[CONFIG]\nOUTPUT_TYPE2=" + std::to_string(static_cast<int>(rng()) % 20 - 5) +
                 "\nOUTPUT_PARAM2=" + std::to_string(static_cast<int>(rng() % 600) - 100) +
                 "\nINPUT_DEAF_TIME.2=" + std::to_string(rng() % 200) +
                 "\n[OTHER]\nDESCRIPTION_LINES=" + std::to_string(static_cast<int>(rng()) % 50) +
                 "\n";
        Settings s;
        applyDefaults(s);
        const IniProfile ini = IniProfile::fromBytes(bytes);
        readQvx(ini, s);
        ConfigImage img;
        form2tab(s, img, "x.qvx", "2024-01-01 00:00:00");
        tab2form(img, s);
        IniProfile out = ini;
        writeQvx(out, s, {});
        EXPECT_LE(s.description.size(), static_cast<std::size_t>(kMaxDescriptionLines));
    }
}

TEST(RandomInput, RandomImagesConvertBothWays) {
    std::mt19937 rng(777);
    for (int round = 0; round < 200; ++round) {
        ConfigImage img;
        for (std::size_t i = 0; i < ConfigImage::kSize; ++i)
            img[i] = static_cast<std::uint8_t>(rng());
        Settings s;
        applyDefaults(s);
        int errors = 0;
        tab2form(img, s, [&](const std::string&) { ++errors; });
        EXPECT_EQ(errors, 0);
        ConfigImage again = img;
        form2tab(s, again, "x.qvx", "2024-01-01 00:00:00");
        Settings back;
        applyDefaults(back);
        tab2form(again, back);
        ConfigImage third = again;
        form2tab(back, third, "x.qvx", "2024-01-01 00:00:00");
        // After one pass through the settings, the image is stable.
        EXPECT_TRUE(third == again) << "round " << round;
    }
}

TEST(RandomInput, BinaryFilesOfAnySizeAreCheckedSafely) {
    std::mt19937 rng(99);
    for (std::size_t size :
         {0u, 1u, 2u, 3u, 4u, 100u, 5122u, 5123u, 5124u, 13123u, 19999u, 20000u}) {
        std::string bytes(size, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(rng());
        BinaryFileContents out;
        const BinaryCheck check = decodeBinaryFile(bytes, out);
        if (size >= 20000) {
            EXPECT_EQ(check, BinaryCheck::TooLarge);
        }
        if (size < 3) {
            EXPECT_EQ(check, BinaryCheck::TooShort);
        }
    }
    std::string three("\0\0\0", 3); // no image bytes at all, and a matching sum of 0
    BinaryFileContents out;
    EXPECT_EQ(decodeBinaryFile(three, out), BinaryCheck::Ok);
    EXPECT_TRUE(out.payload.empty());
}

} // namespace qv
