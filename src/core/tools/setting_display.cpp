#include "tools/setting_display.hpp"

#include "config/dependent_controls.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"
#include "config/conversion.hpp"
#include "config/item_lists.hpp"

#include <array>
#include <cmath>

namespace qv {

namespace {

constexpr const char* kDash = " – ";

struct Caption {
    std::string_view key;
    const char* text;
};

// Controls that hold one setting each.
constexpr Caption kCaptions[] = {
    {"PIN", "PIN"},
    {"PASSWORD", "Hasło do modułu"},
    {"EVENT_COUNTER", "Licznik naruszeń"},
    {"EVENT_COUNTER_RESET", "Reset licznika naruszeń"},
    {"EVENT_CNT_RESET_ON_CLIP", "Resetuj licznik naruszeń CLIPem"},
    {"TEST_PERIOD", "Okres testu/statusu co"},
    {"DO_TEST", "Włączenie testu okresowego"},
    {"ECONO_MODE", "Tryb ekonomiczny"},
    {"RETRY_COUNTER", "Liczba prób SMS/CLIP"},
    {"CLIP_LENGTH", "Długość CLIP"},
    {"OBJECT", "Numer obiektu"},
    {"OBJECT_NAME", "Nazwa obiektu"},
    {"USE_ZONE", "Aktywuj centralkę"},
    {"VORKAL_MODE", "Kompatybilność"},
    {"DGG16Z_SMS_OFF", "Wyłącz DGG16Z dla SMSów"},
    {"DTMF_SMS_QVS2", "Format SMSów zapasowych"},
    {"TEST_ON_CLIP", "Odpowiadaj testem na CLIP"},
    {"ENABLE_CONTROL_SMS", "Akceptuj SMSy sterujące"},
    {"ENABLE_ANY_PHONE", "Dowolny telefon sterujący/CLIPujący"},
    {"LEDS_OFF", "Wyłącz diody LED"},
    {"GSM_OFF", "Wyłącz GSM"},
    {"GSM_LEVEL", "Poziom zasięgu GSM"},
    {"AC_LEVEL", "Próg detekcji AC"},
    {"ACCU_MAX", "Próg naładowania akumulatora"},
    {"ACCU_MIN", "Próg rozładowania akumulatora"},
    {"ANALOG_INPUT_3_ENABLE", "Ustaw wejście nr 3 jako pomiarowe"},
    {"ANALOG_INPUT_3", "Próg alarmowy wejścia nr 3"},
    {"ANALOG_INPUT_4_ENABLE", "Ustaw wejście nr 4 jako pomiarowe"},
    {"ANALOG_INPUT_4", "Próg alarmowy wejścia nr 4"},
    {"SENSOR_2_ENABLE", "Czujnik temperatury na wejściu 2"},
    {"SENSOR_5_ENABLE", "Czujnik temperatury na wejściu 5"},
    {"SENSOR_2_LevelH", "Czujnik temperatury na wejściu 2 – próg górny"},
    {"SENSOR_2_LevelL", "Czujnik temperatury na wejściu 2 – próg dolny"},
    {"SENSOR_5_LevelH", "Czujnik temperatury na wejściu 5 – próg górny"},
    {"SENSOR_5_LevelL", "Czujnik temperatury na wejściu 5 – próg dolny"},
    {"USE_GPRS", "Pracuj w trybie GPRS"},
    {"SERVER", "Adres IP serwera"},
    {"PORT", "Port serwera"},
    {"APN", "APN"},
    {"APN_USER", "APN - użytkownik"},
    {"APN_PASS", "APN - hasło"},
    {"PING_TIME", "Czas odświeżania"},
    {"DTMF_PHONE", "Numer telefonu bazy odbierający SMSy zapasowe z Contact-ID"},
    {"DTMF_TYPE", "Typ transmisji"},
    {"ZONE1_DELAY", "Opóźnienie zadziałania wejścia zwłocznego (WE2)"},
    {"ARM_DELAY", "Czas uzbrajania alarmu"},
    {"BELL_TIME", "Czas sygnału"},
    {"ARM_SIGNAL", "Sygnalizuj uzbrojenie/rozbrojenie"},
    {"ARM_ON_CLIP", "Uzbrajanie/rozbrajanie CLIPem"},
};

// Column headings of the input table, for the per-slot keys.
constexpr Caption kSlotHeadings[] = {
    {"ALARM_PHONE", "Nr telefonu (alarm)"},
    {"RETURN_PHONE", "Nr telefonu (powrót)"},
    {"ALARM_TEXT", "Treść SMS (alarm)"},
    {"RETURN_TEXT", "Treść SMS (powrót)"},
    {"ALARM_PRIV_TEXT", "Treść SMS na ALARM"},
    {"RETURN_PRIV_TEXT", "Treść SMS na POWRÓT"},
    {"INPUT_NO", "NC/NO"},
    {"INPUT_NC", "NC/NO"},
    {"INPUT_DEAF_TIME", "Czas wejścia"},
    {"INPUT_RESET", "Reset"},
    {"INPUT_STATUS", "Status"},
    {"ZONE_MASK1", "Wejście 1 blokuje"},
    {"ZONE_BELL_MASK1", "Wejścia wzbudzające"},
    // Held only while the program runs; no file stores it, so no comparison meets it.
    {"DESCRIPTION", "Opis wejścia"},
};

// Phones numbered 1..n: the caption, then the number.
constexpr Caption kNumberedPhones[] = {
    {"ADD_PHONE", "Dodatkowe numery sterujące – "},
    {"PRIV_PHONE", "Telefon prywatny "},
    {"SECURITY_PHONE", "Numery uprawnione – "},
};

constexpr Caption kOutputColumns[] = {
    {"OUTPUT_TYPE", "Tryb pracy"},
    {"OUTPUT_PARAM", "Parametr"},
    {"OUTPUT_ALIAS", "Nazwa"},
};
constexpr std::array<const char*, 5> kOutputNames = {"S5 1", "Ex 1", "Ex 2", "Ex 3", "Ex 4"};

// The private columns carry the tab's short headings and the phone they notify.
constexpr std::array<const char*, 4> kAlarmColumns = {
    "Alarm", "A1 (telefon prywatny 1)", "A2 (telefon prywatny 2)", "A3 (telefon prywatny 3)"};
constexpr std::array<const char*, 4> kReturnColumns = {
    "Powrót", "P1 (telefon prywatny 1)", "P2 (telefon prywatny 2)", "P3 (telefon prywatny 3)"};

template <std::size_t N> const char* find(const Caption (&table)[N], std::string_view key) {
    for (const auto& c : table)
        if (c.key == key) return c.text;
    return nullptr;
}

using ItemList = std::vector<std::string> (*)();
struct ListOfKey {
    std::string_view key;
    ItemList items;
};
constexpr ListOfKey kLists[] = {
    {"EVENT_COUNTER", items::eventCnt},     {"EVENT_COUNTER_RESET", items::eventCntReset},
    {"TEST_PERIOD", items::testPeriod},     {"ECONO_MODE", items::econoMode},
    {"RETRY_COUNTER", items::retryCnt},     {"CLIP_LENGTH", items::clipTime},
    {"AC_LEVEL", items::acLevel},           {"ACCU_MAX", items::accuMax},
    {"ACCU_MIN", items::accuMin},           {"ANALOG_INPUT_3", items::analogLevel},
    {"ANALOG_INPUT_4", items::analogLevel}, {"PING_TIME", items::pingTime},
    {"DTMF_TYPE", items::dtmfType},         {"ZONE1_DELAY", items::delaySeconds},
    {"ARM_DELAY", items::delaySeconds},     {"BELL_TIME", items::bellTime},
};

// The item a list shows for index: empty when nothing is selected.
std::string itemText(const std::vector<std::string>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return {};
    return list[static_cast<std::size_t>(index)];
}

// The items of the list that holds key's setting; nothing when no list holds it.
std::optional<std::vector<std::string>> itemsOf(const ConfigKey& key, const Settings& s) {
    for (const auto& l : kLists)
        if (l.key == key.name) return l.items();
    if (key.name == "INPUT_DEAF_TIME") return items::inputTime(key.index);
    if (key.name == "OUTPUT_TYPE") return items::outputTypes(key.index);
    if (key.name == "OUTPUT_PARAM") return outputParamItems(s.output(key.index).list);
    return std::nullopt;
}

// Slot 1 has no return notification of its own.
bool notApplicable(const ConfigKey& key) {
    return key.index == 1 && (key.name == "RETURN_ACTION" || key.name == "RETURN_PHONE" ||
                              key.name == "RETURN_TEXT" || key.name == "RETURN_PRIV_TEXT");
}

} // namespace

std::string columnLabel(std::string_view key, int column) {
    if (const char* h = find(kSlotHeadings, key)) return h;
    if (column >= 1 && column <= memmap::kActionColumns) {
        const auto c = static_cast<std::size_t>(column - 1);
        if (key == "ALARM_ACTION") return kAlarmColumns[c];
        if (key == "RETURN_ACTION") return kReturnColumns[c];
    }
    if (const char* o = find(kOutputColumns, key)) return o;
    return {};
}

std::string slotControlLabel(int slot, std::string_view heading) {
    return std::string(items::slotLabel(slot)) + kDash + std::string(heading);
}

std::string settingLabel(const ConfigKey& key) {
    if (const char* c = find(kCaptions, key.name)) return c;
    if (key.index >= 1 && key.index <= memmap::kInputSlots && !find(kOutputColumns, key.name))
        if (const std::string h = columnLabel(key.name, key.column); !h.empty())
            return slotControlLabel(key.index, h);
    if (const char* p = find(kNumberedPhones, key.name)) return p + std::to_string(key.index);
    if (const char* o = find(kOutputColumns, key.name);
        o && key.index >= 1 && key.index <= memmap::kOutputs)
        return std::string(kOutputNames[static_cast<std::size_t>(key.index - 1)]) + kDash + o;
    return key.text();
}

std::vector<CutSetting> cutSettings(const Settings& s) {
    std::vector<CutSetting> out;
    forEachConfigKey(s, [&](const ConfigKey& key, const ConfigValue& value) {
        const int width = textFieldWidth(key.name);
        const auto* text = std::get_if<std::string>(&value);
        if (width == 0 || !text || notApplicable(key)) return;
        if (toCp1250(*text).size() <= static_cast<std::size_t>(width)) return;
        out.push_back({key.text(), settingLabel(key), *text, keptInField(*text, width)});
    });
    return out;
}

namespace {
std::string cutSettingLine(const CutSetting& cut) {
    return cut.label + " (" + cut.key + "): \"" + cut.value + "\" -> \"" + cut.kept + "\"";
}
} // namespace

std::string cutSettingLogLine(const CutSetting& cut) {
    return "Za długa wartość: " + cutSettingLine(cut);
}

std::string cutSettingsMessage(const std::vector<CutSetting>& cut) {
    std::string text = "Wartości dłuższe niż ich pola w module - moduł otrzyma je obcięte:";
    for (std::size_t k = 0; k < cut.size() && k < kCutSettingsListed; ++k)
        text += "\n" + cutSettingLine(cut[k]);
    if (cut.size() > kCutSettingsListed)
        text += "\n... i jeszcze " + std::to_string(cut.size() - kCutSettingsListed) +
                " (wszystkie w logu)";
    return text;
}

std::optional<std::string> shownValue(const ConfigKey& key, const ConfigValue& value,
                                      const Settings& s) {
    // A radio pair shows the chosen button; with neither chosen the conversion takes the
    // first, so that is what the module receives.
    if (key.name == "VORKAL_MODE") return s.dgg16z ? "DGG16Z" : "VORKAL";
    if (key.name == "DTMF_SMS_QVS2") return s.smsStam ? "STAM" : "QVS2";
    if (key.name == "INPUT_NO") return s.input(key.index).nc ? "NC" : "NO";
    if (key.name == "DGG16Z" || key.name == "DTMF_SMS_STAM" || key.name == "INPUT_NC" ||
        key.name == "OUTPUT_ALIAS" || notApplicable(key))
        return std::nullopt;
    if (key.name == "GSM_LEVEL") {
        // The slider's caption: its position as a percentage of the range.
        const int position = std::get<int>(value);
        return std::to_string(static_cast<int>(std::lround(position * 10.0 / 3.0))) + "%";
    }
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? kShownYes : kShownNo;
    if (const auto* real = std::get_if<double>(&value))
        return temperatureFromText(formatGeneral(*real)).text;
    const int index = std::get<int>(value);
    if (const auto list = itemsOf(key, s)) return itemText(*list, index);
    return std::to_string(index);
}

} // namespace qv
