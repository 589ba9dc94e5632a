#pragma once
// How the window presents one setting of the configuration file: a label a technician
// understands (the row label and column heading of a table, or the control's caption) and the
// value as the window shows it (a list item's text, "tak"/"nie" for a flag).
#include "config/config_keys.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// "Wejście 1(K) – Nr telefonu (alarm)", "Numer obiektu", "S5 1 – Tryb pracy".
std::string settingLabel(const ConfigKey& key);

// The column heading of a table key: "Nr telefonu (alarm)", "A1 (telefon prywatny 1)" (column
// 2 of ALARM_ACTION), "Tryb pracy"; empty for a key outside the tables.
std::string columnLabel(std::string_view key, int column = 0);

// A control of input row slot under a heading: "Wejście 1(K) – NC".
std::string slotControlLabel(int slot, std::string_view heading);

// The value of key in s as the window shows it, or nothing for a key that shows no setting of
// its own: the second key of a radio pair (the first shows the chosen button), slot 1's return
// fields (not applicable: the module receives the alarm values there) and the output alias.
std::optional<std::string> shownValue(const ConfigKey& key, const ConfigValue& value,
                                      const Settings& s);

inline constexpr const char* kShownYes = "tak";
inline constexpr const char* kShownNo = "nie";

// A text setting longer than the image field the module keeps it in (a file made elsewhere can
// hold one): the window shows the whole value, the module receives it cut to its field.
struct CutSetting {
    std::string key;   // "ALARM_PHONE.5"
    std::string label; // "Wejście 1(K) – Nr telefonu (alarm)"
    std::string value; // the whole value
    std::string kept;  // what the module receives
    bool operator==(const CutSetting&) const = default;
};

// Every such setting of s, in the order the configuration file writes its keys. Settings the
// module never receives (slot 1's return fields) are left out.
std::vector<CutSetting> cutSettings(const Settings& s);

// One setting, for the log: "Za długa wartość: <label> (<key>): "<value>" -> "<kept>"".
std::string cutSettingLogLine(const CutSetting& cut);

// The one message that names them (at most kCutSettingsListed, then how many more).
std::string cutSettingsMessage(const std::vector<CutSetting>& cut);
inline constexpr std::size_t kCutSettingsListed = 12;

} // namespace qv
