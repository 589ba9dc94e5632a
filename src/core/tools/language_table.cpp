#include "tools/language_table.hpp"

namespace qv {

namespace {
struct Entry {
    const char* polish;
    const char* english;
};
constexpr Entry kTexts[] = {
    {"Nowy", "New"},
    {"Otwórz", "Open"},
    {"Zapisz", "Save"},
    {"Ustawienia", "Settings"},
    {"Odczytaj", "Read"},
    {"Programuj", "Write"},
    {"Usuń hasło", "Clear pass"},
    {"Historia", "History"},
    {"Angielski", "English"},
    {"Polski", "Polish"},
    {"WEJŚCIA + SMS/CLIP (BAZA)", "INPUTS + SMS/CLIP (BASE)"},
    {"SMS/CLIP (PRYWATNE)", "SMS/CLIP (PRIVATE)"},
    {"PARAMETRY", "PARAMETERS"},
    {"CENTRALKA/WYJŚCIA", "ALARMS/OUTPUTS"},
    {"OPISY", "DESCRIPTIONS"},
    {"Wejścia", "Inputs"},
    {"Czas wejścia", "Input time"},
    {"Treść SMS", "SMS text"},
    {"Nr telefonu", "Phone no."},
    {"Powrót", "Return"},
};
constexpr int kEnglishSlot = 8;
constexpr int kPolishSlot = 9;
} // namespace

LanguageTable::LanguageTable() : polish_(kSlots), english_(kSlots) {
    int slot = 0;
    for (const Entry& e : kTexts) {
        polish_[static_cast<std::size_t>(slot)] = e.polish;
        english_[static_cast<std::size_t>(slot)] = e.english;
        ++slot;
    }
}

const std::string& LanguageTable::text(int slot, Language language) const {
    static const std::string empty;
    if (slot < 0 || slot >= kSlots) return empty;
    const auto& column = language == Language::English ? english_ : polish_;
    return column[static_cast<std::size_t>(slot)];
}

void LanguageTable::toggle() {
    language_ = language_ == Language::Polish ? Language::English : Language::Polish;
}

const std::string& LanguageTable::otherLanguageName() const {
    // "English" while Polish is shown, "Polski" while English is shown.
    return language_ == Language::Polish ? english_[kEnglishSlot] : polish_[kPolishSlot];
}

const std::vector<LanguageTable::Target>& LanguageTable::targets() {
    static const std::vector<Target> kTargets = {
        {0, {"newConfig"}},
        {1, {"openFileButton"}},
        {2, {"saveFileButton"}},
        {3, {"settingsButton"}},
        {4, {"ReadButton"}},
        {5, {"writeButton"}},
        {6, {"clearPassButton"}},
        {7, {"historyButton"}},
        {10, {"TabBaza"}},
        {11, {"TabPrywatne"}},
        {12, {"TabParametry"}},
        {13, {"TabCentralka"}},
        {14, {"TabOpisy"}},
        {15, {"LabelInputs"}},
        {16, {"LabelInputTime"}},
        {17, {"LabelSmsText", "LabelSmsText2"}},
        {18, {"LabelPhoneNumber", "LabelPhoneNumber2"}},
        {19, {"LabelReturn"}},
    };
    return kTargets;
}

} // namespace qv
