#pragma once
// An INI "profile" file with the semantics of the Windows profile functions: sections and keys
// are matched without regard to case (the first of equal names wins), values are trimmed and
// lose one pair of surrounding quotes, and writing a key replaces the value of its line in
// place (or appends the key after the last line of its section that is not blank, or appends
// the section to the end of the file, with no blank line before it) while every other line
// stays as it was. Files are Windows-1250 with CRLF line ends; a file that begins with a UTF-8
// byte-order mark is read as UTF-8 and written back the same way.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv {

class IniProfile {
  public:
    IniProfile() = default;
    // Parses file bytes (CRLF, LF or CR line ends).
    static IniProfile fromBytes(std::string_view bytes);
    // The file's bytes, every line ended by CRLF.
    std::string toBytes() const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;

    std::string readString(std::string_view section, std::string_view key,
                           const std::string& def) const;
    // A missing or malformed value gives the default.
    int readInteger(std::string_view section, std::string_view key, int def) const;
    // An integer, true when not 0; a missing or malformed value gives the default.
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    // A missing or malformed value gives the default.
    double readFloat(std::string_view section, std::string_view key, double def) const;

    void writeString(std::string_view section, std::string_view key, const std::string& value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void writeFloat(std::string_view section, std::string_view key, double value);

    std::size_t lineCount() const;

  private:
    struct Section {
        std::string name;      // as written in the file
        bool hasHeader = true; // false for the lines before the first section
        // The lines after the header (UTF-8) up to the last one that is not blank, then the
        // blank lines that end the section: a new key goes between the two, so adding keys
        // never shifts the lines that the key index points at.
        std::vector<std::string> lines;
        std::vector<std::string> trailingBlanks;
        std::unordered_map<std::string, std::size_t> keys; // upper-case key -> line index
        void addLine(std::string line);
    };
    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;

    bool marked_ = false; // the file began with a UTF-8 byte-order mark
    bool utf8_ = false;   // ... and what follows it is UTF-8
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_; // upper-case name -> index
};

} // namespace qv
