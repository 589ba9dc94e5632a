#pragma once
// The built-in table of interface texts in Polish and English: tool-bar captions, tab captions
// and the column headings of the base table. Every other text of the program stays Polish.
#include <string>
#include <vector>

namespace qv {

enum class Language { Polish = 1, English = 2 };

class LanguageTable {
  public:
    static constexpr int kSlots = 101;

    LanguageTable(); // filled with the built-in texts

    // The text of a slot (0..100) in a language; empty for unfilled or unknown slots.
    const std::string& text(int slot, Language language) const;

    Language language() const { return language_; }
    // Polish becomes English and English Polish.
    void toggle();
    // The caption of the language button: it always names the other language.
    const std::string& otherLanguageName() const;

    // Where a slot's text goes: the objectName of every control it captions.
    struct Target {
        int slot;
        std::vector<std::string> objectNames;
    };
    static const std::vector<Target>& targets();

  private:
    std::vector<std::string> polish_, english_;
    Language language_ = Language::Polish;
};

} // namespace qv
