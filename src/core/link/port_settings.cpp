#include "link/port_settings.hpp"

#include "common/file_io.hpp"
#include "config/config_document.hpp"
#include "config/ini_profile.hpp"
#include "config/messages.hpp"

namespace qv {

namespace {
constexpr const char* kSection = "SETTINGS";
std::string settingsPath(const std::string& exeDir) {
    return exeDir + msg::kSettingsFileName;
}
} // namespace

PortSettings loadPortSettings(const std::string& exeDir, const std::string& defaultPort) {
    PortSettings s{defaultPort, false};
    const ReadResult ini = readFileLimited(settingsPath(exeDir), kMaxTextFileSize);
    if (!ini.ok()) return s;
    const IniProfile p = IniProfile::fromBytes(ini.bytes);
    s.portName = p.readString(kSection, "port", defaultPort);
    s.reverseReset = p.readBool(kSection, "reverse_reset", false);
    return s;
}

PortSettingsSaved savePortSettings(const std::string& exeDir, const PortSettings& settings) {
    const std::string path = settingsPath(exeDir);
    IniProfile p;
    const ReadResult old = readFileLimited(path, kMaxTextFileSize);
    if (old.ok()) p = IniProfile::fromBytes(old.bytes);
    p.writeString(kSection, "port", settings.portName);
    p.writeInteger(kSection, "reverse_reset", settings.reverseReset ? 1 : 0);
    if (old.status == ReadResult::Status::TooLarge || old.status == ReadResult::Status::Error ||
        writeFileAtomic(path, p.toBytes()))
        return {false, "Błąd zapisu konfiguracji na dysku: " + path};
    return {true, "Konfiguracja zapisana"};
}

} // namespace qv
