#include "tools/setting_display.hpp"

#include "config/defaults.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace qv {
namespace {

// The labels also name the window's controls for assistive technology: a numbered key left
// with its file name ("ALARM_PHONE.5") would be read out as such.
TEST(SettingLabels, EveryNumberedKeyIsLabelledByItsRowOrNumber) {
    Settings s;
    applyDefaults(s);
    std::set<std::string> labels;
    int keys = 0;
    forEachConfigKey(s, [&](const ConfigKey& key, const ConfigValue&) {
        if (key.index == 0) return;
        ++keys;
        const std::string label = settingLabel(key);
        EXPECT_EQ(label.find('_'), std::string::npos) << key.text() << ": " << label;
        labels.insert(label);
    });
    // Only the NC/NO pair of each row shares a label.
    EXPECT_GT(keys, 300);
    EXPECT_EQ(labels.size(), std::size_t(keys - memmap::kInputSlots));
}

TEST(SettingLabels, ColumnHeadingsAndRowControls) {
    EXPECT_EQ(columnLabel("ALARM_TEXT"), "Treść SMS (alarm)");
    EXPECT_EQ(columnLabel("ALARM_ACTION", 1), "Alarm");
    EXPECT_EQ(columnLabel("RETURN_ACTION", 4), "P3 (telefon prywatny 3)");
    EXPECT_EQ(columnLabel("ALARM_ACTION", 5), "");
    EXPECT_EQ(columnLabel("PIN"), "");
    EXPECT_EQ(slotControlLabel(6, "NC"), "Wejście 2(Z) – NC");
    EXPECT_EQ(settingLabel({"DESCRIPTION", 15}), "Ex 6 – Opis wejścia");
    // Numbered keys that are not table rows keep their own captions.
    EXPECT_EQ(settingLabel({"OUTPUT_TYPE", 1, 0, false}), "S5 1 – Tryb pracy");
}

// A file made elsewhere can hold more than a field of the module keeps: each such setting is
// named with its whole value and what the module receives. A value that just fits is not, a
// Polish letter counts one, and slot 1's return fields, which the module never receives, are
// left out.
TEST(CutSettings, NameEveryValueLongerThanItsField) {
    Settings s;
    applyDefaults(s);
    s.pin = "12345";
    s.input(5).alarmPhone = "123456789012345678";
    s.input(6).alarmPrivText = std::string(78, 'x');
    s.input(7).alarmText = "Zażółć gęślą jaźń 123"; // 21 characters
    s.input(8).alarmText = "Zażółć gęślą jaźń 12";  // 20: fits
    s.input(1).returnPhone = "999999999999999999";
    s.addPhones[55] = "12345678901";
    const std::vector<CutSetting> expected = {
        {"PIN", "PIN", "12345", "1234"},
        {"ADD_PHONE.56", settingLabel(ConfigKey{"ADD_PHONE", 56}), "12345678901", "1234567890"},
        {"ALARM_PHONE.5", "Wejście 1(K) – Nr telefonu (alarm)", "123456789012345678",
         "123456789012345"},
        {"ALARM_TEXT.7", settingLabel(ConfigKey{"ALARM_TEXT", 7}), "Zażółć gęślą jaźń 123",
         "Zażółć gęślą jaźń 12"},
        {"ALARM_PRIV_TEXT.6", settingLabel(ConfigKey{"ALARM_PRIV_TEXT", 6}), std::string(78, 'x'),
         std::string(64, 'x')},
    };
    EXPECT_EQ(cutSettings(s), expected);
    EXPECT_EQ(cutSettingLogLine(expected[2]),
              "Za długa wartość: Wejście 1(K) – Nr telefonu (alarm) (ALARM_PHONE.5): "
              "\"123456789012345678\" -> \"123456789012345\"");

    Settings fits;
    applyDefaults(fits);
    EXPECT_TRUE(cutSettings(fits).empty());
}

TEST(CutSettings, OneMessageListsThemAndCountsTheRest) {
    const struct {
        std::size_t count;
        std::size_t lines;
        const char* last;
    } cases[] = {
        {1, 2, "P1 (K.1): \"123\" -> \"12\""},
        {12, 13, "P12 (K.12): \"123\" -> \"12\""},
        {13, 14, "... i jeszcze 1 (wszystkie w logu)"},
        {40, 14, "... i jeszcze 28 (wszystkie w logu)"},
    };
    for (const auto& c : cases) {
        std::vector<CutSetting> cut;
        for (std::size_t k = 1; k <= c.count; ++k)
            cut.push_back({"K." + std::to_string(k), "P" + std::to_string(k), "123", "12"});
        const std::string message = cutSettingsMessage(cut);
        EXPECT_TRUE(message.starts_with(
            "Wartości dłuższe niż ich pola w module - moduł otrzyma je obcięte:\n"));
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n') + 1, std::ptrdiff_t(c.lines));
        EXPECT_TRUE(message.ends_with(c.last)) << message;
    }
}

} // namespace
} // namespace qv
