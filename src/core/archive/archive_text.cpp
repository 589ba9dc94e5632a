#include "archive/archive_text.hpp"

#include "common/settings_folder.hpp"
#include "config/conversion.hpp"

#include <algorithm>

namespace qv {

namespace {

// The Polish capital and small letters with marks, and the plain small letter each folds to.
struct Folding {
    char32_t capital;
    char32_t small;
    char plain;
};
constexpr Folding kPolishLetters[] = {
    {U'\u0104', U'\u0105', 'a'}, {U'\u0106', U'\u0107', 'c'}, {U'\u0118', U'\u0119', 'e'},
    {U'\u0141', U'\u0142', 'l'}, {U'\u0143', U'\u0144', 'n'}, {U'\u00D3', U'\u00F3', 'o'},
    {U'\u015A', U'\u015B', 's'}, {U'\u0179', U'\u017A', 'z'}, {U'\u017B', U'\u017C', 'z'},
};

// The length of the well-formed two-byte UTF-8 sequence at text[k] (every Polish letter takes
// two bytes), with its code point; 0 for anything else.
std::size_t twoByteSequence(std::string_view text, std::size_t k, char32_t& cp) {
    if (k + 1 >= text.size()) return 0;
    const auto a = static_cast<unsigned char>(text[k]);
    const auto b = static_cast<unsigned char>(text[k + 1]);
    if (a < 0xC2 || a > 0xDF || (b & 0xC0) != 0x80) return 0;
    cp = static_cast<char32_t>(((a & 0x1F) << 6) | (b & 0x3F));
    return 2;
}

void addPhone(std::vector<std::string>& phones, std::string_view text) {
    std::string digits = phoneDigits(text);
    if (digits.empty() || std::find(phones.begin(), phones.end(), digits) != phones.end()) return;
    phones.push_back(std::move(digits));
}

// The reason on one line, whatever a path or SQLite's text held.
std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

} // namespace

std::string archiveFilePath(const ArchiveFolders& f) {
    if (!f.archive.empty()) return f.archive;
#ifdef _WIN32
    if (isAbsoluteUserPath(f.appData)) return joinUserPath(f.appData, {"qvprog", kArchiveFileName});
#else
    if (isAbsoluteUserPath(f.xdgDataHome))
        return joinUserPath(f.xdgDataHome, {"qvprog", kArchiveFileName});
    if (isAbsoluteUserPath(f.home))
        return joinUserPath(f.home, {".local", "share", "qvprog", kArchiveFileName});
#endif
    return std::string();
}

SiteFacts siteFacts(const Settings& s) {
    SiteFacts facts{s.objectName, s.object, {}};
    auto& phones = facts.phoneNumbers;
    for (const auto& p : s.privPhones)
        addPhone(phones, p);
    for (const auto& p : s.securityPhones)
        addPhone(phones, p);
    for (const auto& p : s.addPhones)
        addPhone(phones, p);
    for (const auto& row : s.inputs) {
        addPhone(phones, row.alarmPhone);
        addPhone(phones, row.returnPhone);
    }
    addPhone(phones, s.dtmfPhone);
    return facts;
}

SiteFacts siteFacts(const ConfigImage& image) {
    Settings s;
    // A group the image cannot give keeps its value; the rest still counts.
    tab2form(image, s, [](const std::string&) {});
    return siteFacts(s);
}

std::string foldForSearch(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size();) {
        const char c = text[k];
        if (c >= 'A' && c <= 'Z') {
            out.push_back(static_cast<char>(c - 'A' + 'a'));
            ++k;
            continue;
        }
        char32_t cp = 0;
        if (const std::size_t n = twoByteSequence(text, k, cp)) {
            const auto* letter =
                std::find_if(std::begin(kPolishLetters), std::end(kPolishLetters),
                             [&](const Folding& f) { return f.capital == cp || f.small == cp; });
            if (letter != std::end(kPolishLetters)) {
                out.push_back(letter->plain);
                k += n;
                continue;
            }
        }
        out.push_back(c);
        ++k;
    }
    return out;
}

std::string phoneDigits(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9') out.push_back(c);
    return out;
}

bool looksLikePhoneNumber(std::string_view text) {
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != ' ' && c != '+' && c != '-' && c != '(' && c != ')' && c != '/')
            return false;
    }
    return digit;
}

std::string stateText(std::string_view state) {
    if (state == kStateRead) return "odczyt";
    if (state == kStateWritten) return "zapis";
    if (state == kStateSmsUnconfirmed) return "SMS (niepotwierdzony)";
    if (state == kStateSmsConfirmed) return "SMS (potwierdzony odczytem)";
    return std::string(state);
}

std::string operationText(const ArchiveEntrySummary& entry) {
    std::string text = stateText(entry.state);
    switch (entry.readBack) {
    case ReadBack::notAsked:
        break;
    case ReadBack::same:
        text += " (sprawdzony)";
        break;
    case ReadBack::differs:
        text += " (moduł ma inne bajty)";
        break;
    case ReadBack::failed:
        text += " (odczyt kontrolny nieudany)";
        break;
    }
    return text;
}

std::string archiveStoreMessage(std::string_view reason) {
    return "Archiwum: nie zapisano konfiguracji (" + oneLine(reason) + ")";
}

std::string archiveNoteMessage(std::string_view reason) {
    return "Archiwum: nie zapisano notatki (" + oneLine(reason) + ")";
}

std::string archiveDeleteMessage(std::string_view reason) {
    return "Archiwum: nie usunięto wpisu (" + oneLine(reason) + ")";
}

std::string archiveReadMessage(std::string_view reason) {
    return "Archiwum: nie można odczytać (" + oneLine(reason) + ")";
}

} // namespace qv
