#include "tools/config_report.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"
#include "config/config_document.hpp"
#include "config/config_keys.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "config/messages.hpp"
#include "tools/setting_display.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

namespace qv {

namespace {

// The report's own words; the window's captions come from the window's tables.
struct Words {
    const char* title;
    const char* objectName;
    const char* objectNumber;
    const char* configFile;
    const char* programmingDate;
    const char* programVersion;
    const char* printed;
    const char* installer;
    const char* signature;
    const char* phones;
    const char* phone;
    const char* number;
    const char* onAlarm;
    const char* onReturn;
    const char* basePhone;
    const char* noNumber;
    const char* setting;
    const char* value;
    const char* yes;
    const char* no;
    const char* passwordSet;
    const char* passwordNotSet;
    const char* none;
    const char* notApplicable;
    const char* storedText;
    const char* descriptionMemo;
    const char* output;
    const char* page;
    const char* of;
    const char* cut;
    const char* cutNote;
};

constexpr Words kPolish{
    "Raport konfiguracji modułu",
    "Nazwa obiektu",
    "Numer obiektu",
    "Plik konfiguracji",
    "Data programowania (w obrazie)",
    "Wersja programu",
    "Data wydruku",
    "Instalator (imię i nazwisko)",
    "Podpis",
    "Telefony i powiadomienia",
    "Telefon",
    "Numer",
    "Na alarm",
    "Na powrót",
    "Telefon bazy",
    "(brak numeru)",
    "Ustawienie",
    "Wartość",
    "tak",
    "nie",
    "ustawione",
    "nie ustawione",
    "brak",
    "X – nie dotyczy: moduł otrzymuje tu wartości alarmu.",
    "tekst w pamięci",
    "Opis konfiguracji",
    "Wyjście",
    "Strona",
    "z",
    "(obcięte)",
    "(obcięte) – wartość z pliku jest dłuższa niż jej pole w module: moduł otrzyma to, co tu "
    "widać.",
};

constexpr Words kEnglish{
    "Module configuration report",
    "Object name",
    "Object number",
    "Configuration file",
    "Programming date (in the image)",
    "Program version",
    "Printed",
    "Installer (name)",
    "Signature",
    "Phones and notifications",
    "Phone",
    "Number",
    "On alarm",
    "On return",
    "Base phone",
    "(no number)",
    "Setting",
    "Value",
    "yes",
    "no",
    "set",
    "not set",
    "none",
    "X – not applicable: the module receives the alarm values here.",
    "stored text",
    "Configuration description",
    "Output",
    "Page",
    "of",
    "(cut)",
    "(cut) – the file's value is longer than its field in the module: the module receives what "
    "is shown here.",
};

const Words& wordsOf(Language language) {
    return language == Language::English ? kEnglish : kPolish;
}

// Language table slots of the captions the window switches.
constexpr int kTabBaza = 10, kTabPrywatne = 11, kTabParametry = 12, kTabCentralka = 13,
              kTabOpisy = 14, kInputs = 15, kInputTime = 16, kSmsText = 17, kPhoneNumber = 18,
              kReturn = 19;
constexpr const char* kTabGprs = "GPRS/DTMF";

constexpr const char* kDash = "–";

class Builder {
  public:
    Builder(const Settings& s, const ReportSource& source)
        : s_(s), source_(source), w_(wordsOf(source.language)) {
        forEachConfigKey(s, [this](const ConfigKey& key, const ConfigValue& value) {
            if (auto shown = shownValue(key, value, s_)) {
                // Flags read tak/nie, or yes/no in English; NC/NO and texts stay as they are.
                if (std::holds_alternative<bool>(value) && *shown == kShownYes) shown = w_.yes;
                if (std::holds_alternative<bool>(value) && *shown == kShownNo) shown = w_.no;
                if (std::holds_alternative<std::string>(value))
                    shown = held(*shown, textFieldWidth(key.name));
                shown_[key.text()] = *shown;
            }
        });
    }

    ConfigReport build() {
        ConfigReport r;
        r.language = source_.language;
        r.title = w_.title;
        r.titleBlock = {
            {w_.objectName, held(s_.objectName, memmap::wOBJECT_NAME)},
            {w_.objectNumber, held(s_.object, memmap::wOBJECT)},
            {w_.configFile, source_.configFile},
            {w_.programmingDate, orDash(source_.programmingDate)},
            {w_.programVersion, source_.programVersion},
            {w_.printed, source_.printedDate},
        };
        r.signatures = {{w_.installer, {}}, {w_.signature, {}}};
        r.sections.push_back(phonesSection());
        r.sections.push_back(baseSection());
        r.sections.push_back(privateSection());
        r.sections.push_back(parametersSection());
        r.sections.push_back(gprsSection());
        r.sections.push_back(alarmPanelSection());
        r.sections.push_back(descriptionsSection());
        // A table that shows a cut value says what the mark means.
        for (auto& section : r.sections)
            for (auto& table : section.tables)
                if (std::any_of(table.rows.begin(), table.rows.end(), [this](const auto& row) {
                        return std::any_of(row.begin(), row.end(), [this](const std::string& c) {
                            return c.find(w_.cut) != std::string::npos;
                        });
                    }))
                    table.notes.push_back(w_.cutNote);
        return r;
    }

  private:
    std::string lang(int slot) const { return table_.text(slot, source_.language); }
    // What the module receives of a text held in a field of width characters (0: no field):
    // a text longer than its field is cut, and marked.
    std::string held(const std::string& text, int width) const {
        if (width <= 0 || toCp1250(text).size() <= static_cast<std::size_t>(width)) return text;
        return keptInField(text, width) + " " + w_.cut;
    }
    static std::string orDash(const std::string& t) { return t.empty() ? kDash : t; }

    // The shown value of a key ("ALARM_TEXT.3"); empty when the key shows no value.
    std::string value(const std::string& key) const {
        const auto it = shown_.find(key);
        return it == shown_.end() ? std::string() : it->second;
    }
    static std::string slotKey(std::string_view name, int slot, int column = 0) {
        return ConfigKey{name, slot, column}.text();
    }

    // A table of settings under a group caption: the window's caption and the shown value.
    ReportTable settingsTable(std::string caption, std::initializer_list<std::string_view> keys) {
        ReportTable t{std::move(caption), {w_.setting, w_.value}, {3, 2}, {}, {}};
        for (const auto name : keys)
            t.rows.push_back({settingLabel(ConfigKey{name}), value(std::string(name))});
        return t;
    }
    void addRow(ReportTable& t, std::string label, std::string value) {
        t.rows.push_back({std::move(label), std::move(value)});
    }

    // The SMS text cell of a row: the window shows "Status urządzenia" instead of the texts
    // while the row sends the device status; the text is kept and shown beside it.
    std::string smsText(int slot, std::string_view key) const {
        const std::string text = value(slotKey(key, slot));
        if (!s_.input(slot).status) return text;
        std::string cell = items::kStatusLabel;
        if (!text.empty()) cell += "\n(" + std::string(w_.storedText) + ": " + text + ")";
        return cell;
    }
    // Slot 1's return fields are not applicable: the window shows "X" and greys them.
    std::string returnField(int slot, std::string_view key, int column = 0) const {
        if (slot == 1) return kNotApplicable;
        if (key == "RETURN_TEXT" || key == "RETURN_PRIV_TEXT") return smsText(slot, key);
        return value(slotKey(key, slot, column));
    }

    ReportSection phonesSection() {
        ReportTable t{{}, {w_.phone, w_.number, w_.onAlarm, w_.onReturn}, {3, 3, 5, 5}, {}, {}};
        // The base phones, one row per number, in the order the inputs first name them.
        std::vector<std::string> numbers;
        for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
            for (const auto& n : {s_.input(slot).alarmPhone, s_.input(slot).returnPhone})
                if (std::find(numbers.begin(), numbers.end(), n) == numbers.end())
                    numbers.push_back(n);
        for (const auto& number : numbers) {
            std::string alarms, returns;
            for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
                const InputRow& row = s_.input(slot);
                if (row.alarmPhone == number) append(alarms, slot, row.alarmAction[0].text);
                if (slot != 1 && row.returnPhone == number)
                    append(returns, slot, row.returnAction[0].text);
            }
            if (alarms.empty() && returns.empty()) continue;
            t.rows.push_back({w_.basePhone,
                              number.empty() ? w_.noNumber : held(number, memmap::wPHONE),
                              orNone(alarms), orNone(returns)});
        }
        for (int k = 1; k <= memmap::kPrivatePhones; ++k) {
            std::string alarms, returns;
            const auto c = static_cast<std::size_t>(k);
            for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
                append(alarms, slot, s_.input(slot).alarmAction[c].text);
                if (slot != 1) append(returns, slot, s_.input(slot).returnAction[c].text);
            }
            const std::string& number = s_.privPhones[c - 1];
            t.rows.push_back({settingLabel(ConfigKey{"PRIV_PHONE", k}),
                              number.empty() ? w_.noNumber : held(number, memmap::wPHONE),
                              orNone(alarms), orNone(returns)});
        }
        return {w_.phones, {std::move(t)}};
    }
    // "Wejście 1(K): SMS" for a cell that notifies.
    static void append(std::string& list, int slot, const std::string& action) {
        if (action.empty() || action == kNotApplicable) return;
        if (!list.empty()) list += '\n';
        list += std::string(items::slotLabel(slot)) + ": " + action;
    }
    std::string orNone(const std::string& t) const { return t.empty() ? w_.none : t; }

    ReportSection baseSection() {
        ReportTable inputs{{},
                           {lang(kInputs), "NC/NO", lang(kInputTime), "Reset", "Status"},
                           {4, 2, 3, 2, 2},
                           {},
                           {}};
        ReportTable base{{},
                         {lang(kInputs), "Alarm", lang(kSmsText), lang(kPhoneNumber), lang(kReturn),
                          lang(kSmsText), lang(kPhoneNumber)},
                         {4, 2, 5, 4, 2, 5, 4},
                         {},
                         {w_.notApplicable}};
        for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
            const std::string label = items::slotLabel(slot);
            inputs.rows.push_back(
                {label, value(slotKey("INPUT_NO", slot)),
                 value(slotKey("INPUT_DEAF_TIME", slot)) + " " + constraints::inputTimeUnit(slot),
                 value(slotKey("INPUT_RESET", slot)), value(slotKey("INPUT_STATUS", slot))});
            base.rows.push_back(
                {label, value(slotKey("ALARM_ACTION", slot, 1)), smsText(slot, "ALARM_TEXT"),
                 value(slotKey("ALARM_PHONE", slot)), returnField(slot, "RETURN_ACTION", 1),
                 returnField(slot, "RETURN_TEXT"), returnField(slot, "RETURN_PHONE")});
        }
        return {lang(kTabBaza), {std::move(inputs), std::move(base)}};
    }

    ReportSection privateSection() {
        ReportTable phones{{}, {w_.phone, w_.number}, {3, 2}, {}, {}};
        for (int k = 1; k <= memmap::kPrivatePhones; ++k)
            addRow(phones, settingLabel(ConfigKey{"PRIV_PHONE", k}),
                   value(slotKey("PRIV_PHONE", k)));
        ReportTable actions{{},
                            {lang(kInputs), "A1", "A2", "A3", "Treść SMS na ALARM", "P1", "P2",
                             "P3", "Treść SMS na POWRÓT"},
                            {4, 2, 2, 2, 9, 2, 2, 2, 9},
                            {},
                            {w_.notApplicable}};
        for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
            std::vector<std::string> row{items::slotLabel(slot)};
            for (int c = 2; c <= memmap::kActionColumns; ++c)
                row.push_back(value(slotKey("ALARM_ACTION", slot, c)));
            row.push_back(smsText(slot, "ALARM_PRIV_TEXT"));
            for (int c = 2; c <= memmap::kActionColumns; ++c)
                row.push_back(returnField(slot, "RETURN_ACTION", c));
            row.push_back(returnField(slot, "RETURN_PRIV_TEXT"));
            actions.rows.push_back(std::move(row));
        }
        return {lang(kTabPrywatne), {std::move(phones), std::move(actions)}};
    }

    ReportSection parametersSection() {
        ReportSection section{lang(kTabParametry), {}};
        section.tables.push_back(
            settingsTable(" Parametry systemu ",
                          {"PIN", "OBJECT", "OBJECT_NAME", "EVENT_COUNTER", "EVENT_COUNTER_RESET",
                           "EVENT_CNT_RESET_ON_CLIP", "RETRY_COUNTER", "CLIP_LENGTH",
                           "TEST_ON_CLIP", "ENABLE_CONTROL_SMS"}));
        // The module password is a secret: the report says only whether one is set.
        ReportTable security = settingsTable(" Zabezpieczenia ", {"ENABLE_ANY_PHONE"});
        security.rows.insert(security.rows.begin(),
                             {settingLabel(ConfigKey{"PASSWORD"}),
                              s_.password.empty() ? w_.passwordNotSet : w_.passwordSet});
        for (int k = 1; k <= memmap::kSecurityPhones; ++k)
            addRow(security, settingLabel(ConfigKey{"SECURITY_PHONE", k}),
                   value(slotKey("SECURITY_PHONE", k)));
        section.tables.push_back(std::move(security));
        section.tables.push_back(additionalPhones());
        section.tables.push_back(
            settingsTable(" Progi napięć ",
                          {"AC_LEVEL", "ACCU_MAX", "ACCU_MIN", "GSM_LEVEL", "ANALOG_INPUT_3_ENABLE",
                           "ANALOG_INPUT_3", "ANALOG_INPUT_4_ENABLE", "ANALOG_INPUT_4"}));
        section.tables.push_back(
            settingsTable(" Kompatybilność ", {"VORKAL_MODE", "DGG16Z_SMS_OFF", "DTMF_SMS_QVS2"}));
        section.tables.push_back(
            settingsTable(" Oszczędzanie energii ", {"ECONO_MODE", "LEDS_OFF", "GSM_OFF"}));
        section.tables.push_back(
            settingsTable(" Czujnik temperatury na wejsciu ",
                          {"SENSOR_2_ENABLE", "SENSOR_2_LevelL", "SENSOR_2_LevelH",
                           "SENSOR_5_ENABLE", "SENSOR_5_LevelL", "SENSOR_5_LevelH"}));
        return section;
    }

    // The 56 numbers as the window arranges them: four columns of 14.
    ReportTable additionalPhones() {
        constexpr int kColumns = 4;
        constexpr int kLines = memmap::kAdditionalPhones / kColumns;
        ReportTable t{"Dodatkowe numery sterujące", {}, {}, {}, {}};
        for (int c = 0; c < kColumns; ++c) {
            t.header.insert(t.header.end(), {"Nr", w_.number});
            t.widths.insert(t.widths.end(), {1, 3});
        }
        for (int line = 0; line < kLines; ++line) {
            std::vector<std::string> row;
            for (int c = 0; c < kColumns; ++c) {
                const int k = c * kLines + line + 1;
                row.push_back(std::to_string(k));
                row.push_back(value(slotKey("ADD_PHONE", k)));
            }
            t.rows.push_back(std::move(row));
        }
        return t;
    }

    ReportSection gprsSection() {
        ReportSection section{kTabGprs, {}};
        section.tables.push_back(settingsTable(
            " GPRS ", {"USE_GPRS", "SERVER", "PORT", "APN", "APN_USER", "APN_PASS", "PING_TIME"}));
        section.tables.push_back(settingsTable(" Test okresowy ", {"DO_TEST", "TEST_PERIOD"}));
        ReportTable contactId =
            settingsTable(" Zapasowe SMSy Contact ID ", {"DTMF_PHONE", "DTMF_TYPE"});
        addRow(contactId, "DTMF ACK DELAY", s_.ackDelayText);
        addRow(contactId, "DTMF KISS OFF DELAY", s_.kissOffDelayText);
        section.tables.push_back(std::move(contactId));
        return section;
    }

    ReportSection alarmPanelSection() {
        ReportSection section{lang(kTabCentralka), {}};
        section.tables.push_back(
            settingsTable("CENTRALKA", {"USE_ZONE", "ZONE1_DELAY", "ARM_DELAY", "ARM_SIGNAL",
                                        "ARM_ON_CLIP", "BELL_TIME"}));
        ReportTable outputs{" Wyjścia ",
                            {w_.output, columnLabel("OUTPUT_TYPE"), columnLabel("OUTPUT_PARAM")},
                            {2, 4, 4},
                            {},
                            {}};
        const char* names[] = {"S5 1", "Ex 1", "Ex 2", "Ex 3", "Ex 4"};
        for (int o = 1; o <= memmap::kOutputs; ++o) {
            const OutputRow& out = s_.output(o);
            std::string param;
            if (o == 1 && sirenPanelVisible(s_))
                param = settingLabel(ConfigKey{"BELL_TIME"}) + ": " + value("BELL_TIME");
            else if (out.paramVisible)
                param =
                    out.paramCaption + " " + value(ConfigKey{"OUTPUT_PARAM", o, 0, false}.text());
            outputs.rows.push_back(
                {names[o - 1], value(ConfigKey{"OUTPUT_TYPE", o, 0, false}.text()), param});
        }
        section.tables.push_back(std::move(outputs));
        ReportTable zone{" Strefa ",
                         {lang(kInputs), columnLabel("ZONE_MASK1"), columnLabel("ZONE_BELL_MASK1")},
                         {4, 3, 3},
                         {},
                         {}};
        for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
            zone.rows.push_back({items::slotLabel(slot), value(slotKey("ZONE_MASK1", slot)),
                                 value(slotKey("ZONE_BELL_MASK1", slot))});
        section.tables.push_back(std::move(zone));
        return section;
    }

    ReportSection descriptionsSection() {
        ReportTable inputs{{}, {lang(kInputs), columnLabel("DESCRIPTION")}, {1, 4}, {}, {}};
        for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
            inputs.rows.push_back({items::slotLabel(slot), s_.input(slot).description});
        ReportTable memo{w_.descriptionMemo, {w_.descriptionMemo}, {1}, {}, {}};
        for (const auto& line : s_.description)
            memo.rows.push_back({line});
        if (memo.rows.empty()) memo.rows.push_back({w_.none});
        return {lang(kTabOpisy), {std::move(inputs), std::move(memo)}};
    }

    const Settings& s_;
    const ReportSource& source_;
    const Words& w_;
    LanguageTable table_;
    std::map<std::string, std::string> shown_;
};

void appendEscapedLines(std::string& out, const std::string& text) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        out += htmlEscape(text.substr(start, end - start));
        if (end == std::string::npos) break;
        out += "<br>";
        start = end + 1;
    }
}

} // namespace

ConfigReport makeConfigReport(const Settings& s, const ReportSource& source) {
    return Builder(s, source).build();
}

ConfigReport makeDocumentReport(const ConfigDocument& doc, const Clock& clock, Language language) {
    ReportSource source;
    source.configFile = doc.configDir() + doc.configFileName();
    source.programmingDate = doc.imageProgDate();
    source.programVersion = msg::kAppVersion;
    source.printedDate = formatProgDate(clock.localTime());
    source.language = language;
    return makeConfigReport(doc.convertedCopy().settings, source);
}

std::string reportPageLabel(Language language, int page, int pages) {
    const Words& w = wordsOf(language);
    return std::string(w.page) + " " + std::to_string(page) + " " + w.of + " " +
           std::to_string(pages);
}

std::string htmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string reportHtml(const ConfigReport& report) {
    std::string h;
    h.reserve(64 * 1024);
    h += "<!DOCTYPE html>\n<html lang=\"";
    h += report.language == Language::English ? "en" : "pl";
    h += "\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    h += htmlEscape(report.title);
    h += "</title>\n<style>\n"
         "@page { size: A4; margin: 15mm; }\n"
         "body { font-family: 'Liberation Sans', Arial, 'DejaVu Sans', sans-serif; "
         "font-size: 10pt; color: #000; }\n"
         "h1 { font-size: 16pt; margin: 0 0 8pt; }\n"
         "h2 { font-size: 12pt; margin: 14pt 0 4pt; border-bottom: 1px solid #444; }\n"
         "h3 { font-size: 10pt; margin: 8pt 0 2pt; }\n"
         "table { border-collapse: collapse; width: 100%; margin: 0 0 6pt; }\n"
         "th, td { border: 1px solid #888; padding: 2pt 4pt; text-align: left; "
         "vertical-align: top; }\n"
         "th { background: #e8e8e8; }\n"
         "thead { display: table-header-group; }\n"
         "tr { break-inside: avoid; page-break-inside: avoid; }\n"
         "table.title th { width: 35%; }\n"
         "td.sign { height: 28pt; }\n"
         "p.note { font-size: 8pt; margin: 0 0 6pt; }\n"
         "</style>\n</head>\n<body>\n<h1>";
    h += htmlEscape(report.title);
    h += "</h1>\n<table class=\"title\">\n";
    for (const auto& f : report.titleBlock) {
        h += "<tr><th>";
        h += htmlEscape(f.label);
        h += "</th><td>";
        appendEscapedLines(h, f.value);
        h += "</td></tr>\n";
    }
    for (const auto& f : report.signatures) {
        h += "<tr><th>";
        h += htmlEscape(f.label);
        h += "</th><td class=\"sign\">";
        appendEscapedLines(h, f.value);
        h += "</td></tr>\n";
    }
    h += "</table>\n";
    for (const auto& section : report.sections) {
        h += "<h2>";
        h += htmlEscape(section.title);
        h += "</h2>\n";
        for (const auto& t : section.tables) {
            if (!t.caption.empty()) {
                h += "<h3>";
                h += htmlEscape(t.caption);
                h += "</h3>\n";
            }
            h += "<table>\n<thead><tr>";
            for (const auto& head : t.header) {
                h += "<th>";
                h += htmlEscape(head);
                h += "</th>";
            }
            h += "</tr></thead>\n<tbody>\n";
            for (const auto& row : t.rows) {
                h += "<tr>";
                for (const auto& cell : row) {
                    h += "<td>";
                    appendEscapedLines(h, cell);
                    h += "</td>";
                }
                h += "</tr>\n";
            }
            h += "</tbody>\n</table>\n";
            for (const auto& note : t.notes) {
                h += "<p class=\"note\">";
                h += htmlEscape(note);
                h += "</p>\n";
            }
        }
    }
    h += "</body>\n</html>\n";
    return h;
}

ReportFormat reportFormatOfPath(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos) return ReportFormat::Unknown;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "pdf") return ReportFormat::Pdf;
    if (ext == "html" || ext == "htm") return ReportFormat::Html;
    return ReportFormat::Unknown;
}

} // namespace qv
