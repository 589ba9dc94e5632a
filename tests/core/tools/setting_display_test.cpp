#include "tools/setting_display.hpp"

#include "config/defaults.hpp"

#include <gtest/gtest.h>

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
// named with its whole value and what the module receives, in one message. A value that just
// fits is not, a Polish letter counts one, and slot 1's return fields (never sent) are left out.
TEST(CutSettings, NameEveryValueLongerThanItsField) {
    Settings s;
    applyDefaults(s);
    EXPECT_TRUE(cutSettings(s).empty());
    s.pin = "12345";
    s.input(5).alarmPhone = "123456789012345678";
    s.input(7).alarmText = "Zażółć gęślą jaźń 123"; // 21 characters
    s.input(8).alarmText = "Zażółć gęślą jaźń 12";  // 20: fits
    s.input(1).returnPhone = "999999999999999999";
    const std::vector<CutSetting> expected = {
        {"PIN", "PIN", "12345", "1234"},
        {"ALARM_PHONE.5", "Wejście 1(K) – Nr telefonu (alarm)", "123456789012345678",
         "123456789012345"},
        {"ALARM_TEXT.7", settingLabel(ConfigKey{"ALARM_TEXT", 7}), "Zażółć gęślą jaźń 123",
         "Zażółć gęślą jaźń 12"},
    };
    EXPECT_EQ(cutSettings(s), expected);
    const std::string logged = "Za długa wartość: ";
    EXPECT_EQ(cutSettingLogLine(expected[1]),
              logged + "Wejście 1(K) – Nr telefonu (alarm) (ALARM_PHONE.5): "
                       "\"123456789012345678\" -> \"123456789012345\"");
    std::string message = "Wartości dłuższe niż ich pola w module - moduł otrzyma je obcięte:";
    for (const auto& cut : expected)
        message += "\n" + cutSettingLogLine(cut).substr(logged.size());
    EXPECT_EQ(cutSettingsMessage(expected), message);
    // A long list names the first ones and counts the rest.
    const std::vector<CutSetting> many(kCutSettingsListed + 3, expected[0]);
    EXPECT_TRUE(cutSettingsMessage(many).ends_with("\"1234\"\n... i jeszcze 3 (wszystkie w logu)"));
}

} // namespace
} // namespace qv
