#include "config/config_document.hpp"

#include "common/file_io.hpp"
#include "common/text_format.hpp"
#include "config/config_file.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/ini_profile.hpp"
#include "config/messages.hpp"
#include "tools/setting_display.hpp"

#include <cstring>

namespace qv {

namespace {
UserMessage error(std::string text) {
    return {UserMessage::Icon::Error, std::move(text)};
}
UserMessage info(std::string text) {
    return {UserMessage::Icon::Information, std::move(text)};
}

std::string extensionUpper(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : toUpperAscii(name.substr(dot));
}
} // namespace

bool savesAsBinary(const std::string& fileName) {
    return extensionUpper(fileName) == ".BCFG";
}

bool opensAsBinary(const std::string& fileName) {
    return toUpperAscii(fileName).find("BCFG") != std::string::npos;
}

ConfigDocument::ConfigDocument(const Clock& clock, std::string exeDir)
    : clock_(&clock), log_(clock), phoneBase_(kPhoneBaseBufferSize, 0), exeDir_(std::move(exeDir)),
      configDir_(exeDir_) {}

void ConfigDocument::startUp(const std::string& defaultPort) {
    configDir_ = startDir_.empty() ? exeDir_ : startDir_;
    serviceMode_ = fileExists(exeDir_ + msg::kServiceMarkerFile);
    log_.add(msg::kLogStart);
    programSettings_ = {defaultPort, false};
    const ReadResult ini =
        readFileLimited(settingsDir() + msg::kSettingsFileName, kMaxTextFileSize);
    if (ini.ok()) {
        const IniProfile p = IniProfile::fromBytes(ini.bytes);
        programSettings_.portName = p.readString("SETTINGS", "port", defaultPort);
        programSettings_.reverseReset = p.readBool("SETTINGS", "reverse_reset", false);
    }
    log_.add(programSettings_.portName);
    applyDefaultsAndStore();
}

std::string ConfigDocument::caption() const {
    if (!origin_.empty()) return std::string(msg::kAppVersion) + " - [ " + origin_ + " ]";
    return std::string(msg::kAppVersion) + " - [ " + configDir_ + configFileName_ + " ]";
}

void ConfigDocument::form2tab() {
    qv::form2tab(settings_, image_, configFileName_, formatProgDate(clock_->localTime()));
}

ConfigDocument::Converted ConfigDocument::convertedCopy() const {
    Converted c{settings_, image_};
    qv::form2tab(c.settings, c.image, configFileName_, formatProgDate(clock_->localTime()));
    return c;
}

std::vector<UserMessage> ConfigDocument::tab2form() {
    std::vector<UserMessage> messages;
    qv::tab2form(image_, settings_, [&](const std::string& m) { messages.push_back(error(m)); });
    return messages;
}

bool ConfigDocument::isModified() {
    form2tab();
    return !eepTableUnchanged();
}

void ConfigDocument::applyDefaultsAndStore() {
    applyDefaults(settings_);
    imageProgDate_.clear();
    phoneBase_ = emptyPhoneBaseBuffer();
    configFileName_ = msg::kDefaultFileName;
    origin_.clear();
    form2tab();
    storeEepTable();
}

void ConfigDocument::newConfig() {
    applyDefaultsAndStore();
}

void ConfigDocument::takeImageProgDate() {
    imageProgDate_ = image_.getTextField(memmap::oPROG_DATE, memmap::wPROG_DATE);
}

std::vector<UserMessage> ConfigDocument::takeReadImage(const ConfigImage& image) {
    image_ = image;
    takeImageProgDate();
    auto messages = tab2form();
    storeEepTable();
    return messages;
}

std::vector<UserMessage> ConfigDocument::takeStoredImage(const ConfigImage& image,
                                                         std::string origin) {
    // The name the image carries stays in it, so the change check finds the image unchanged;
    // the caption shows the origin instead.
    configFileName_ = image.getTextField(memmap::oFILE_NAME, memmap::wFILE_NAME);
    origin_ = std::move(origin);
    return takeReadImage(image);
}

DocumentState ConfigDocument::state() const {
    return {settings_, stored_.image(), configDir_, configFileName_, imageProgDate_, origin_};
}

void ConfigDocument::restore(const DocumentState& state) {
    settings_ = state.settings;
    stored_.store(state.stored);
    configDir_ = state.configDir;
    configFileName_ = state.configFileName;
    imageProgDate_ = state.imageProgDate;
    origin_ = state.origin;
}

void ConfigDocument::hexDumpToLog() {
    form2tab();
    for (const auto& line : hexDumpLines(image_))
        log_.add(line);
}

OpenResult ConfigDocument::openFile(const std::string& path) {
    OpenResult result;
    const SplitPath sp = splitPath(path);
    if (!opensAsBinary(sp.name)) {
        if (!loadTextFile(sp.dir, sp.name, result.messages)) return result;
        imageProgDate_.clear();
        form2tab();
        storeEepTable();
        result.opened = true;
        // Only a text file can hold more than a field of the module keeps.
        const std::vector<CutSetting> cut = cutSettings(settings_);
        for (const auto& c : cut)
            log_.add(cutSettingLogLine(c));
        if (!cut.empty())
            result.messages.push_back({UserMessage::Icon::Warning, cutSettingsMessage(cut)});
        return result;
    }
    const ReadResult file = readFileLimited(path, kBinaryFileLimit - 1);
    if (file.status == ReadResult::Status::TooLarge) {
        result.messages.push_back(error(msg::kBadFile));
        return result;
    }
    const std::string ioError = std::string(msg::kFileOpenError) + path + "!";
    if (!file.ok()) {
        result.messages.push_back(error(ioError));
        return result;
    }
    BinaryFileContents contents;
    switch (decodeBinaryFile(file.bytes, contents)) {
    case BinaryCheck::TooLarge:
        result.messages.push_back(error(msg::kBadFile));
        return result;
    case BinaryCheck::TooShort:
        result.messages.push_back(error(ioError));
        return result;
    case BinaryCheck::BadCheckBytes:
        // A rejected file changes nothing: neither the image nor the current file.
        result.messages.push_back(error(msg::kBadConfigFile));
        return result;
    case BinaryCheck::Ok:
        break;
    }
    configDir_ = sp.dir;
    configFileName_ = sp.name;
    origin_.clear();
    std::memcpy(image_.data(), contents.payload.data(),
                std::min(contents.payload.size(), ConfigImage::kSize));
    takeImageProgDate();
    result.messages = tab2form();
    storeEepTable();
    result.messages.push_back(info(msg::kOpened));
    result.eventBuffer = std::move(contents.eventBuffer);
    result.opened = true;
    return result;
}

bool ConfigDocument::loadTextFile(const std::string& dirIn, const std::string& name,
                                  std::vector<UserMessage>& messages) {
    const std::string dir = dirIn.empty() ? exeDir_ : dirIn;
    const std::string path = dir + name;
    const ReadResult file = readFileLimited(path, kMaxTextFileSize);
    if (file.status == ReadResult::Status::Missing) {
        messages.push_back(error(std::string(msg::kTextOpenError) + " " + path));
        return false;
    }
    if (!file.ok()) {
        messages.push_back(error(msg::kTextOpenError));
        return false;
    }
    configDir_ = dir;
    configFileName_ = name;
    origin_.clear();
    log_.add(msg::kLogOpened + path);
    const IniProfile ini = IniProfile::fromBytes(file.bytes);
    for (const auto& line : readQvx(ini, settings_))
        log_.add(line);
    return true;
}

SaveResult ConfigDocument::saveFile(const std::string& path) {
    SaveResult result;
    const SplitPath sp = splitPath(path);
    configDir_ = sp.dir;
    configFileName_ = sp.name;
    origin_.clear();
    bool ok = false;
    if (!savesAsBinary(sp.name)) {
        ok = saveTextFile(path);
    } else {
        form2tab();
        ok = !writeFileAtomic(path, encodeBinaryFile(image_)).has_value();
    }
    if (!ok) {
        // The configuration still counts as changed.
        result.messages.push_back(error(msg::kSaveError));
        return result;
    }
    result.messages.push_back(info(msg::kSaved));
    form2tab();
    storeEepTable();
    result.saved = true;
    return result;
}

bool ConfigDocument::saveTextFile(const std::string& path) {
    log_.add(msg::kLogSaved + path);
    IniProfile ini;
    const ReadResult existing = readFileLimited(path, kMaxTextFileSize);
    if (existing.ok()) {
        ini = IniProfile::fromBytes(existing.bytes);
    } else if (existing.status != ReadResult::Status::Missing) {
        return false;
    }
    const LocalDateTime now = clock_->localTime();
    writeQvx(ini, settings_,
             {formatDateTime(now, "YYYY/MM/DD"), formatDateTime(now, "HH:mm:SS"), msg::kAppVersion,
              configFileName_});
    return !writeFileAtomic(path, ini.toBytes()).has_value();
}

} // namespace qv
