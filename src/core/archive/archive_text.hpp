#pragma once
// The archive's rules that need no database: where its file lives, what an entry says about
// its site, how searches compare texts, and the one-line messages it reports.
#include "archive/archive_types.hpp"
#include "config/settings.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The environment variable that names another archive file (the tests use it).
inline constexpr const char* kArchiveEnvironment = "QVPROG_ARCHIVE";
inline constexpr const char* kArchiveFileName = "archive.sqlite";

// What the caller found out about the user: the environment variables the file is taken from
// (empty when unset).
struct ArchiveFolders {
    std::string archive;     // QVPROG_ARCHIVE: the file itself
    std::string xdgDataHome; // XDG_DATA_HOME
    std::string home;        // HOME
    std::string appData;     // APPDATA (Windows)
};

// The archive's file:
//   QVPROG_ARCHIVE when it is set;
//   on Windows %APPDATA%\qvprog\archive.sqlite;
//   elsewhere $XDG_DATA_HOME/qvprog/archive.sqlite (only an absolute XDG_DATA_HOME counts),
//   otherwise $HOME/.local/share/qvprog/archive.sqlite;
//   empty when none of these is known.
std::string archiveFilePath(const ArchiveFolders& folders);

// What the configuration says about the site: its name and number, and every phone number it
// holds (the module's password and SIM PIN are no part of it).
struct SiteFacts {
    std::string name;
    std::string number;
    std::vector<std::string> phoneNumbers; // digits only, each once, in the order first found
};
SiteFacts siteFacts(const ConfigImage& image);
SiteFacts siteFacts(const Settings& settings);

// Texts compared by a search: lower case, the Polish letters without their marks ("Łódź" and
// "LODZ" both give "lodz"); other characters stay as they are.
std::string foldForSearch(std::string_view utf8);
// The digits of a phone number ("+48 600-100-200" gives "48600100200").
std::string phoneDigits(std::string_view text);
// True when a search text may be a phone number: digits, with blanks, "+", "-", "(", ")" or
// "/" between them.
bool looksLikePhoneNumber(std::string_view text);

// The word the program shows for an entry's state ("odczyt", "zapis"); an unknown state as it
// is stored.
std::string stateText(std::string_view state);
// An entry's operation as a list shows it: the state's word, and for a write what its read-back
// found ("zapis (sprawdzony)").
std::string operationText(const ArchiveEntrySummary& entry);

// The one line the archive reports when it could not keep an entry, or could not read:
// "Archiwum: nie zapisano konfiguracji (plik archiwum jest uszkodzony: /home/...)".
std::string archiveStoreMessage(std::string_view reason);
std::string archiveReadMessage(std::string_view reason);
std::string archiveNoteMessage(std::string_view reason);   // "Archiwum: nie zapisano notatki (...)"
std::string archiveDeleteMessage(std::string_view reason); // "Archiwum: nie usunięto wpisu (...)"

} // namespace qv
