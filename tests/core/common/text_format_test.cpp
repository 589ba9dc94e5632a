#include "common/text_format.hpp"

#include <gtest/gtest.h>

#include <clocale>

namespace qv {

TEST(TextFormat, DateTimePatterns) {
    const LocalDateTime t{2024, 5, 7, 9, 5, 3, 0};
    EXPECT_EQ(formatDateTime(t, "YYYY-MM-DD hh:mm:ss"), "2024-05-07 09:05:03");
    EXPECT_EQ(formatDateTime(t, "YYYY/MM/DD"), "2024-05-07");
    EXPECT_EQ(formatDateTime(t, "HH:mm:SS"), "09:05:03");
    EXPECT_EQ(formatDateTime(t, "hh:nn:ss "), "09:05:03 ");
}

TEST(TextFormat, NumbersIgnoreTheCommaDecimalLocale) {
    // Programs with a window switch the C locale to the user's; Polish writes "30,8".
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    bool polish = false;
    // POSIX names, then the Windows ones (the old and the new form).
    for (const char* name : {"pl_PL.UTF-8", "de_DE.UTF-8", "Polish_Poland.1250", "pl-PL",
                             "German_Germany.1252", "de-DE"}) {
        if (std::setlocale(LC_ALL, name)) {
            polish = true;
            break;
        }
    }
    EXPECT_EQ(formatGeneral(30.8), "30.8");
    EXPECT_EQ(formatGeneral(-4.7), "-4.7");
    EXPECT_EQ(formatGeneral(0), "0");
    EXPECT_EQ(formatGeneral(1e20), "1E20");
    EXPECT_EQ(formatGeneral(0.00001), "1E-5");
    EXPECT_EQ(formatFixed1(-0.04), "0.0");
    EXPECT_EQ(parseDecimal("30.8"), 30.8);
    EXPECT_FALSE(parseDecimal("30,8"));
    EXPECT_FALSE(parseDecimal("nan"));
    std::setlocale(LC_ALL, saved.c_str());
    if (!polish) GTEST_SKIP() << "no comma-decimal locale installed; checked in the C locale";
}

// A module's control bytes reach a terminal as text; printable text, Polish letters and the
// line ends stay as they are.
TEST(TextFormat, ControlCharactersAreShownAsTheirCodes) {
    const struct {
        std::string_view in;
        const char* out;
    } cases[] = {
        {"12:00:02 AT+QVXR=F0", "12:00:02 AT+QVXR=F0"},
        {std::string_view("12:00:02 \x02\x03V\x00\x03", 14), "12:00:02 <02><03>V<00><03>"},
        {"\x1B[2J\x07\t", "<1B>[2J<07><09>"},
        {"a\r\nb\x7F", "a\r\nb<7F>"},
        {"Zażółć \xC2\x81\xC2\x9F\xC2\xA0", "Zażółć <81><9F>\xC2\xA0"}, // U+00A0 is no control
        {"\xC2", "\xC2"},                                               // cut short: left as it is
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(visibleControls(c.in), c.out) << c.out;
}

TEST(TextFormat, SmallHelpers) {
    EXPECT_EQ(zeroPadded(7, 2), "07");
    EXPECT_EQ(zeroPadded(123, 2), "123");
    EXPECT_EQ(hexValue("FF"), 255);
    EXPECT_EQ(hexValue("7d"), 125);
    EXPECT_FALSE(hexValue("G1"));
    EXPECT_FALSE(hexValue(""));
    EXPECT_FALSE(hexValue("-1"));
    EXPECT_EQ(parseInt(" 12 "), 12);
    EXPECT_FALSE(parseInt("99999999999"));
    const LocalDateTime t{2024, 2, 28, 23, 59, 30, 0};
    EXPECT_EQ(addSeconds(t, 90), (LocalDateTime{2024, 2, 29, 0, 1, 0, 0}));
}

} // namespace qv
