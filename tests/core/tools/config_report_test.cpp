#include "tools/config_report.hpp"

#include "../../support/full_settings.hpp"
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/config_keys.hpp"
#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "tools/setting_display.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace qv {
namespace {

ReportSource source(Language language = Language::Polish) {
    return {"/dom/instalacje/Żółw.qvx", "2026-03-04 05:06:07", "QV PROG 2.2.24",
            "2026-12-09 10:11:12", language};
}

using Row = std::vector<std::string>;

// Every row of every table whose first cell is label.
std::vector<Row> rowsOf(const ConfigReport& r, const std::string& label) {
    std::vector<Row> rows;
    for (const auto& section : r.sections)
        for (const auto& t : section.tables)
            for (const auto& row : t.rows)
                if (!row.empty() && row[0] == label) rows.push_back(row);
    return rows;
}

bool rowHasCell(const Row& row, const std::string& value, bool prefixOnly = false) {
    return std::any_of(row.begin() + 1, row.end(), [&](const std::string& cell) {
        return prefixOnly ? cell.starts_with(value) || cell.find(value) != std::string::npos
                          : cell == value;
    });
}

// Each setting the window shows is in the report: a setting of its own on the row of its
// caption, a setting of an input slot, output or numbered phone on its row, with the value as
// the window shows it.
void expectEverySetting(const Settings& s, const ConfigReport& r) {
    int checked = 0;
    forEachConfigKey(s, [&](const ConfigKey& key, const ConfigValue& value) {
        auto shown = shownValue(key, value, s);
        if (!shown || key.name == "PASSWORD") return;
        ++checked;
        std::string label;
        bool loose = false; // the value is part of its cell (a unit, a caption beside it)
        if (key.name == "ADD_PHONE") {
            const int line = (key.index - 1) % 14;
            bool found = false;
            for (const auto& row : rowsOf(r, std::to_string(line + 1)))
                for (std::size_t c = 0; c + 1 < row.size(); c += 2)
                    found |= row[c] == std::to_string(key.index) && row[c + 1] == *shown;
            EXPECT_TRUE(found) << key.text();
            return;
        }
        if (key.name.starts_with("OUTPUT_")) {
            const char* names[] = {"S5 1", "Ex 1", "Ex 2", "Ex 3", "Ex 4"};
            label = names[key.index - 1];
            loose = key.name == "OUTPUT_PARAM";
            if (loose && !s.output(key.index).paramVisible) return;
        } else if (key.index > 0 && key.name != "PRIV_PHONE" && key.name != "SECURITY_PHONE") {
            label = items::slotLabel(key.index);
            loose = key.name == "INPUT_DEAF_TIME" || s.input(key.index).status;
        } else {
            label = settingLabel(key);
        }
        const auto rows = rowsOf(r, label);
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                                [&](const Row& row) { return rowHasCell(row, *shown, loose); }))
            << key.text() << " = " << *shown << " under " << label;
    });
    EXPECT_GT(checked, 400);
}

TEST(ConfigReport, DefaultAndFullConfigurationsShowEverySetting) {
    Settings defaults;
    applyDefaults(defaults);
    expectEverySetting(defaults, makeConfigReport(defaults, source()));
    const Settings full = test::fullSettings();
    const ConfigReport report = makeConfigReport(full, source());
    expectEverySetting(full, report);
    // The texts no file key names: descriptions, the description memo, the DTMF delays.
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
        const auto rows = rowsOf(report, items::slotLabel(slot));
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const Row& row) {
            return rowHasCell(row, full.input(slot).description);
        })) << slot;
    }
    for (const auto& line : full.description)
        EXPECT_EQ(rowsOf(report, line).size(), 1u) << line;
    EXPECT_EQ(rowsOf(report, "DTMF ACK DELAY").at(0).at(1), full.ackDelayText);
}

TEST(ConfigReport, TitleBlockAndSecretPassword) {
    const Settings full = test::fullSettings();
    const ConfigReport r = makeConfigReport(full, source());
    EXPECT_EQ(r.title, "Raport konfiguracji modułu");
    ASSERT_EQ(r.titleBlock.size(), 6u);
    EXPECT_EQ(r.titleBlock[0].value, full.objectName);
    EXPECT_EQ(r.titleBlock[1].value, "9A7F");
    EXPECT_EQ(r.titleBlock[2].value, "/dom/instalacje/Żółw.qvx");
    EXPECT_EQ(r.titleBlock[3].value, "2026-03-04 05:06:07");
    EXPECT_EQ(r.titleBlock[4].value, "QV PROG 2.2.24");
    EXPECT_EQ(r.titleBlock[5].value, "2026-12-09 10:11:12");
    ASSERT_EQ(r.signatures.size(), 2u);
    EXPECT_TRUE(r.signatures[0].value.empty());
    // The password itself appears nowhere; only whether one is set.
    EXPECT_EQ(reportHtml(r).find("ab12"), std::string::npos);
    EXPECT_EQ(rowsOf(r, "Hasło do modułu").at(0).at(1), "ustawione");
    Settings none = full;
    none.password.clear();
    EXPECT_EQ(rowsOf(makeConfigReport(none, source()), "Hasło do modułu").at(0).at(1),
              "nie ustawione");
    ReportSource unknownDate = source();
    unknownDate.programmingDate.clear();
    EXPECT_EQ(makeConfigReport(full, unknownDate).titleBlock[3].value, "–");
}

TEST(ConfigReport, RowsShowWhatTheWindowShows) {
    const Settings full = test::fullSettings();
    const ConfigReport r = makeConfigReport(full, source());
    // Slot 1 has no return of its own; a status row sends the status and keeps its texts.
    const Row test = rowsOf(r, "Test/Status").at(1);
    EXPECT_EQ(test, (Row{"Test/Status", full.input(1).alarmAction[0].text, full.input(1).alarmText,
                         full.input(1).alarmPhone, "X", "X", "X"}));
    // The contact type reads NC or NO.
    EXPECT_EQ(rowsOf(r, "Wejście 3(A)").at(0).at(1), "NC");
    EXPECT_EQ(rowsOf(r, "Wejście 4(A)").at(0).at(1), "NO");
    const Row status = rowsOf(r, "Wejście 3(A)").at(1);
    EXPECT_EQ(status[2], "Status urządzenia\n(tekst w pamięci: " + full.input(7).alarmText + ")");
    // Input times carry their unit; slot 2 counts minutes.
    EXPECT_EQ(rowsOf(r, "Wejście AC").at(0).at(2), "90 min.");
    EXPECT_EQ(rowsOf(r, "Akumulator").at(0).at(2), "22 sec.");
    // Outputs: the siren's time beside output 1, the parameter with its caption.
    const auto& outputs = r.sections.at(5).tables.at(1);
    ASSERT_EQ(outputs.caption, " Wyjścia ");
    EXPECT_EQ(outputs.rows.at(0), (Row{"S5 1", "Sygnalizator", "Czas sygnału: 60 min."}));
    EXPECT_EQ(outputs.rows.at(1), (Row{"Ex 1", "Stan wejścia", "Które wejście: Ex 6"}));
    EXPECT_EQ(outputs.rows.at(2),
              (Row{"Ex 2", "Monostabline CLIP/SMS", "Czas załączenia: 255 sec."}));
    EXPECT_EQ(outputs.rows.at(4), (Row{"Ex 4", "Bistabilne CLIP/SMS", ""}));
}

TEST(ConfigReport, EachPhoneListsWhatItReceives) {
    Settings s;
    applyDefaults(s);
    s.privPhones[1] = "600700800";
    s.input(5).alarmAction[2] = ActionCell{"SMS", ActionColour::Red};
    s.input(6).returnAction[2] = ActionCell{"C+S", ActionColour::Teal};
    s.input(5).alarmPhone = "111";
    s.input(5).alarmAction[0] = ActionCell{"CLIP", ActionColour::Blue};
    s.input(9).alarmAction[0] = ActionCell{"SMS", ActionColour::Red}; // no number set
    const ConfigReport r = makeConfigReport(s, source());
    const auto& phones = r.sections.at(0).tables.at(0).rows;
    auto find = [&](const std::string& number) {
        for (const auto& row : phones)
            if (row.at(1) == number) return row;
        return Row{};
    };
    EXPECT_EQ(find("600700800"),
              (Row{"Telefon prywatny 2", "600700800", "Wejście 1(K): SMS", "Wejście 2(Z): C+S"}));
    EXPECT_EQ(find("111"), (Row{"Telefon bazy", "111", "Wejście 1(K): CLIP", "brak"}));
    EXPECT_EQ(find("(brak numeru)").at(2).find("Wejście 5: SMS") != std::string::npos, true);
}

// A value longer than its field (from a file made elsewhere) is printed as the module will hold
// it, marked, and a table with such a value says what the mark means.
TEST(ConfigReport, ValuesLongerThanTheirFieldsShowWhatTheModuleHolds) {
    Settings s;
    applyDefaults(s);
    s.objectName = std::string(70, 'o');
    s.input(5).alarmPhone = "123456789012345678";
    s.input(5).alarmAction[0].text = "SMS"; // on the phones' summary too
    s.privPhones[0] = "600100200300400500";
    const ConfigReport r = makeConfigReport(s, source());
    EXPECT_EQ(r.titleBlock[0].value, std::string(64, 'o') + " (obcięte)");
    std::vector<std::string> marked;
    for (const auto& section : r.sections)
        for (const auto& t : section.tables) {
            const auto before = marked.size();
            for (const auto& row : t.rows)
                for (const auto& cell : row) {
                    for (const auto* whole : {"9012345678", "400500"}) // no value whole
                        EXPECT_EQ(cell.find(whole), std::string::npos) << cell;
                    if (cell.ends_with(" (obcięte)")) marked.push_back(cell);
                }
            EXPECT_EQ(t.notes.size() > 0 && t.notes.back().starts_with("(obcięte) – "),
                      marked.size() > before);
        }
    // Each phone as a setting, and on the phones' summary.
    EXPECT_EQ(std::count(marked.begin(), marked.end(), "123456789012345 (obcięte)"), 2);
    EXPECT_EQ(std::count(marked.begin(), marked.end(), "600100200300400 (obcięte)"), 2);
}

TEST(ConfigReport, EnglishSwitchesTheWindowsCaptionsAndTheReportsOwnWords) {
    const Settings full = test::fullSettings();
    const ConfigReport en = makeConfigReport(full, source(Language::English));
    EXPECT_EQ(en.title, "Module configuration report");
    EXPECT_EQ(en.sections.at(1).title, "INPUTS + SMS/CLIP (BASE)");
    EXPECT_EQ(en.sections.at(1).tables.at(0).header.at(0), "Inputs");
    EXPECT_EQ(en.sections.at(1).tables.at(0).header.at(2), "Input time");
    EXPECT_EQ(en.sections.at(1).tables.at(1).header.at(4), "Return");
    EXPECT_EQ(en.sections.at(5).title, "ALARMS/OUTPUTS");
    // Captions the window keeps in Polish stay Polish; flags read yes/no.
    EXPECT_EQ(rowsOf(en, "Pracuj w trybie GPRS").at(0).at(1), "yes");
    EXPECT_EQ(rowsOf(en, "Hasło do modułu").at(0).at(1), "set");
    EXPECT_EQ(reportPageLabel(Language::English, 2, 5), "Page 2 of 5");
    EXPECT_EQ(reportPageLabel(Language::Polish, 1, 3), "Strona 1 z 3");
    const ConfigReport pl = makeConfigReport(full, source());
    EXPECT_EQ(pl.sections.at(1).title, "WEJŚCIA + SMS/CLIP (BAZA)");
    EXPECT_EQ(rowsOf(pl, "Pracuj w trybie GPRS").at(0).at(1), "tak");
}

TEST(ConfigReportHtml, EscapedUtf8WithPrintRules) {
    Settings s = test::fullSettings();
    s.objectName = "<b>\"Sklep\" & 'Żabka'</b>";
    s.input(5).description = "linia\n<script>";
    const std::string html = reportHtml(makeConfigReport(s, source()));
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("&lt;b&gt;&quot;Sklep&quot; &amp; &#39;Żabka&#39;&lt;/b&gt;"),
              std::string::npos);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("linia<br>&lt;script&gt;"), std::string::npos);
    EXPECT_NE(html.find("thead { display: table-header-group; }"), std::string::npos);
    EXPECT_NE(html.find("page-break-inside: avoid"), std::string::npos);
    // Every cell of the model is in the document.
    const ConfigReport r = makeConfigReport(test::fullSettings(), source());
    const std::string full = reportHtml(r);
    for (const auto& section : r.sections)
        for (const auto& t : section.tables)
            for (const auto& row : t.rows)
                for (const auto& cell : row) {
                    if (cell.find('\n') == std::string::npos) {
                        EXPECT_NE(full.find(">" + htmlEscape(cell) + "<"), std::string::npos)
                            << cell;
                    }
                }
}

TEST(ConfigReport, FormatFromTheFileName) {
    EXPECT_EQ(reportFormatOfPath("a/raport.PDF"), ReportFormat::Pdf);
    EXPECT_EQ(reportFormatOfPath("r.html"), ReportFormat::Html);
    EXPECT_EQ(reportFormatOfPath("r.Htm"), ReportFormat::Html);
    EXPECT_EQ(reportFormatOfPath("r.txt"), ReportFormat::Unknown);
    EXPECT_EQ(reportFormatOfPath("raport"), ReportFormat::Unknown);
}

TEST(ConfigReport, DocumentGivesItsFileAndTheStoredImagesDate) {
    VirtualClock clock;
    ConfigDocument doc(clock, "/opt/qv/");
    doc.startUp("COM1");
    doc.settings().input(5).alarmText = "Włamanie";
    const ConfigReport r = makeDocumentReport(doc, clock, Language::Polish);
    EXPECT_EQ(r.titleBlock[2].value, doc.configDir() + doc.configFileName());
    // The defaults hold no programming date: the conversion's stamp is not one.
    EXPECT_EQ(r.titleBlock[3].value, "–");
    EXPECT_EQ(r.titleBlock[4].value, "QV PROG 2.2.24");
    EXPECT_EQ(r.titleBlock[5].value, "2024-01-01 12:00:00");
    EXPECT_EQ(rowsOf(r, "Wejście 1(K)").at(1).at(2), "Włamanie");
    // An image read from the module brings the date it was programmed on; the window's edits
    // and conversions afterwards keep it.
    ConfigImage image = doc.image();
    image.putTextField("2025-07-08 09:10:11", memmap::oPROG_DATE, memmap::wPROG_DATE);
    doc.takeReadImage(image);
    doc.settings().objectName = "Magazyn";
    doc.form2tab();
    const ConfigReport read = makeDocumentReport(doc, clock, Language::Polish);
    EXPECT_EQ(read.titleBlock[3].value, "2025-07-08 09:10:11");
    EXPECT_EQ(read.titleBlock[0].value, "Magazyn");
    doc.newConfig();
    EXPECT_EQ(makeDocumentReport(doc, clock, Language::Polish).titleBlock[3].value, "–");
    // A binary file holds an image and its date; a text file holds neither.
    const auto dir = std::filesystem::temp_directory_path() / "qvprog-report-doc-test";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(doc.saveFile((dir / "a.bCFG").string()).saved);
    ASSERT_TRUE(doc.saveFile((dir / "a.qvx").string()).saved);
    ConfigDocument other(clock, "/opt/qv/");
    other.startUp("COM1");
    ASSERT_TRUE(other.openFile((dir / "a.bCFG").string()).opened);
    EXPECT_EQ(other.imageProgDate(), "2024-01-01 12:00:00");
    ASSERT_TRUE(other.openFile((dir / "a.qvx").string()).opened);
    EXPECT_EQ(other.imageProgDate(), "");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qv
