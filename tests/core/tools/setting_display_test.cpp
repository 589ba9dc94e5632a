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

} // namespace
} // namespace qv
