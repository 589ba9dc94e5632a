#pragma once
// Every kind of file the program saves, behind one call, with the message a failed save shows
// and a check that the data in memory survived the failure.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/messages.hpp"
#include "link/port_settings.hpp"
#include "monitor/event_history.hpp"
#include "tools/phone_base_file.hpp"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::test {

struct SaveOutcome {
    bool ok = false;
    std::string message;
};

struct Saver {
    std::string fileName;       // the name it saves under in a folder
    std::string failureMessage; // shown when the save fails; the path follows when withPath
    bool withPath = false;
    std::function<SaveOutcome(const std::string& dir)> save; // dir ends with "/"
    std::function<bool()> memoryKept;                        // the data in memory is unchanged
};

// kind: "qvx", "bCFG", "history", "PHBINI", "QVPROG2.INI" or "raw".
inline Saver makeSaver(const std::string& kind) {
    struct Document {
        VirtualClock clock{{2024, 5, 17, 12, 34, 56, 0}};
        ConfigDocument doc{clock, "/nonexistent/"};
        Settings edited;
        Document() {
            doc.newConfig();
            doc.settings().objectName = "Paweł, ul. Żółta 5";
            doc.settings().pin = "4321";
            edited = doc.settings();
        }
        bool kept() { return doc.settings() == edited && doc.isModified(); }
    };
    if (kind == "qvx" || kind == "bCFG") {
        auto d = std::make_shared<Document>();
        return {"konfiguracja." + kind, "Błąd zapisywania konfiguracji", false,
                [d, kind](const std::string& dir) {
                    const SaveResult r = d->doc.saveFile(dir + "konfiguracja." + kind);
                    return SaveOutcome{r.saved, r.messages.empty() ? "" : r.messages[0].text};
                },
                [d] { return d->kept(); }};
    }
    if (kind == "history") {
        return {"historia.txt", "Błąd zapisu !", false,
                [](const std::string& dir) {
                    HistoryTable table;
                    table.fill(std::vector<std::uint8_t>(kEventBufferBytes, 0xFF), 0);
                    const auto lines = historyFileLines(table, "?", "?", {2024, 5, 17, 1, 2, 3, 0});
                    const bool ok = writeHistoryFile(dir + "historia.txt", lines);
                    return SaveOutcome{
                        ok, std::string(ok ? kHistorySavedMessage : kHistorySaveErrorMessage)};
                },
                [] { return true; }};
    }
    if (kind == "PHBINI") {
        auto table = std::make_shared<PhoneBaseTable>();
        table->numbers[0] = "987654321";
        table->names[0] = "Łukasz";
        const PhoneBaseTable before = *table;
        return {"baza.PHBINI", "Błąd zapisu konfiguracji", false,
                [table](const std::string& dir) {
                    const auto r = savePhoneBaseFile(dir + "baza.PHBINI", *table);
                    return SaveOutcome{r.ok, r.message};
                },
                [table, before] { return *table == before; }};
    }
    if (kind == "QVPROG2.INI") {
        return {"QVPROG2.INI", "Błąd zapisu konfiguracji na dysku: ", true,
                [](const std::string& dir) {
                    const auto r = savePortSettings(dir, {"/dev/ttyUSB0", true});
                    return SaveOutcome{r.ok, r.message};
                },
                [] { return true; }};
    }
    return {"zdarzenia.bin", "Błąd zapisu: ", true,
            [](const std::string& dir) {
                const auto failed = writeRawEventBuffer(
                    dir + "zdarzenia.bin", std::vector<std::uint8_t>(kEventBufferBytes, 0x5A));
                return SaveOutcome{!failed, failed.value_or("")};
            },
            [] { return true; }};
}

inline const std::vector<std::string> kSaverKinds = {"qvx",    "bCFG",        "history",
                                                     "PHBINI", "QVPROG2.INI", "raw"};

} // namespace qv::test
