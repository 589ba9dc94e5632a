#pragma once
// The program's one current configuration: the settings, the image and its stored copy, the
// current file, the application log, and the commands that create, open and save it. The
// commands return the messages the window shows; questions are asked by the caller first.
#include "common/app_log.hpp"
#include "common/clock.hpp"
#include "config/config_image.hpp"
#include "config/settings.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct UserMessage {
    enum class Icon { Error, Information, Question, Warning };
    Icon icon;
    std::string text;
    bool operator==(const UserMessage&) const = default;
};

struct OpenResult {
    bool opened = false; // the file was taken as the current configuration
    // In the order the window shows them. A text file with values longer than their fields
    // in the module adds one warning that names them (and logs each).
    std::vector<UserMessage> messages;
    // The 8000-byte event buffer a 13123-byte binary file carries, for the history window.
    std::optional<std::vector<std::uint8_t>> eventBuffer;
};

struct SaveResult {
    bool saved = false;
    std::vector<UserMessage> messages;
};

// What start-up reads from the settings file beside the program.
struct ProgramSettings {
    std::string portName;
    bool reverseReset = false;
};

// What "Nowy", "Otwórz" and a read replace as a whole: the settings, the stored copy the change
// check compares with, and the file the configuration belongs to. The phone base buffer and the
// program's own settings are not part of it.
struct DocumentState {
    Settings settings;
    ConfigImage stored;
    std::string configDir;
    std::string configFileName;
    std::string imageProgDate;
    std::string origin;
    bool operator==(const DocumentState&) const = default;
};

class ConfigDocument {
  public:
    ConfigDocument(const Clock& clock, std::string exeDir);

    // The start-up sequence's model steps: service mode from the marker file, "Start aplikacji",
    // QVPROG2.INI's port (default defaultPort) and reverse_reset, the port name logged, the
    // defaults applied, converted and stored.
    void startUp(const std::string& defaultPort);
    // Where QVPROG2.INI is read and written (default: exeDir) and the folder the first
    // configuration lives in (default: exeDir). An installed program, whose folder cannot be
    // written, keeps its settings in the user's configuration folder and starts in the home.
    void setSettingsDir(std::string dir) { settingsDir_ = std::move(dir); }
    const std::string& settingsDir() const { return settingsDir_.empty() ? exeDir_ : settingsDir_; }
    void setStartDir(std::string dir) { startDir_ = std::move(dir); }

    // The window caption: "QV PROG 2.2.24 - [ " + configDir + configFileName + " ]".
    std::string caption() const;

    // Settings to image (with the current time and file name), and back.
    void form2tab();
    // What form2tab would make now (the settings as it normalises them, and the image),
    // leaving the document itself untouched.
    struct Converted {
        Settings settings;
        ConfigImage image;
    };
    Converted convertedCopy() const;
    // Runs tab2form; failing groups come back as "ERROR while convertion: ..." messages.
    std::vector<UserMessage> tab2form();
    void storeEepTable() { stored_.store(image_); }
    bool eepTableUnchanged() const { return stored_.unchanged(image_); }
    // Converts the settings and compares them with the stored copy: true when the commands
    // that discard the configuration must ask first.
    bool isModified();

    // "&Nowy": the caller asks kAskDiscardOnNew first when isModified().
    void newConfig();
    // "&Otwórz" after the dialog (the caller asks kAskDiscardOnOpen first when isModified()).
    OpenResult openFile(const std::string& path);
    // "&Zapisz" after the dialog and the overwrite question.
    SaveResult saveFile(const std::string& path);
    // A configuration read from the module: taken into the settings and stored.
    std::vector<UserMessage> takeReadImage(const ConfigImage& image);
    // A configuration kept elsewhere (an archive entry): taken into the settings and stored, so
    // the change check compares with it, and belonging to no file; until it is saved or another
    // configuration replaces it, the caption names where it came from (origin) instead of a
    // file.
    std::vector<UserMessage> takeStoredImage(const ConfigImage& image, std::string origin);
    // Where the configuration came from when it is no file's (empty otherwise).
    const std::string& origin() const { return origin_; }
    // The document as a whole, and the document put back as it was (a command taken back).
    DocumentState state() const;
    void restore(const DocumentState& state);
    // The hex dump: converts the settings, then writes "*" and 320 rows to the log.
    void hexDumpToLog();

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    ConfigImage& image() { return image_; }
    const ConfigImage& image() const { return image_; }
    const ConfigImage& storedImage() const { return stored_.image(); }
    AppLog& log() { return log_; }
    const AppLog& log() const { return log_; }
    std::vector<std::uint8_t>& phoneBaseBuffer() { return phoneBase_; }

    const std::string& exeDir() const { return exeDir_; }
    const std::string& configDir() const { return configDir_; }
    const std::string& configFileName() const { return configFileName_; }
    // The programming date held in the last image taken in whole (read from the module or
    // opened from a binary file); empty for the defaults and a text file, which hold no image.
    // The window's own conversions stamp the current time and do not change it.
    const std::string& imageProgDate() const { return imageProgDate_; }
    bool serviceMode() const { return serviceMode_; }
    const ProgramSettings& programSettings() const { return programSettings_; }
    void setPortName(const std::string& name) { programSettings_.portName = name; }
    void setReverseReset(bool on) { programSettings_.reverseReset = on; }

  private:
    void applyDefaultsAndStore();
    void takeImageProgDate();
    bool loadTextFile(const std::string& dir, const std::string& name,
                      std::vector<UserMessage>& messages);
    bool saveTextFile(const std::string& path);

    const Clock* clock_;
    Settings settings_;
    ConfigImage image_;
    StoredCopy stored_;
    AppLog log_;
    std::vector<std::uint8_t> phoneBase_;
    std::string exeDir_;
    std::string configDir_;
    std::string configFileName_;
    std::string imageProgDate_;
    std::string origin_;
    std::string settingsDir_;
    std::string startDir_;
    bool serviceMode_ = false;
    ProgramSettings programSettings_;
};

// Which kind of file a name is saved as and opened as.
bool savesAsBinary(const std::string& fileName); // upper-cased extension is ".BCFG"
bool opensAsBinary(const std::string& fileName); // upper-cased name contains "BCFG"

// Text files larger than this are refused when opened.
inline constexpr std::uintmax_t kMaxTextFileSize = 16 * 1024 * 1024;

} // namespace qv
