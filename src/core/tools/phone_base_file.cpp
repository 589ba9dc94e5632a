#include "tools/phone_base_file.hpp"

#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "config/ini_profile.hpp"

namespace qv {

PhoneBaseFileResult savePhoneBaseFile(const std::string& path, const PhoneBaseTable& table) {
    // As with every profile file, an existing file keeps its other sections and lines.
    IniProfile ini;
    const ReadResult existing = readFileLimited(path, kPhoneBaseFileMaxSize);
    if (existing.ok())
        ini = IniProfile::fromBytes(existing.bytes);
    else if (existing.status != ReadResult::Status::Missing)
        return {false, std::string(kPhoneBaseSaveErrorMessage)};

    for (int n = 1; n <= kPhoneBaseRows; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const std::string index = std::to_string(n);
        ini.writeString(kPhoneBaseSection, "NUMBER_" + index, table.numbers[i]);
        ini.writeString(kPhoneBaseSection, "NAME_" + index, table.names[i]);
    }
    ini.writeString(kPhoneBaseSection, "WELCOME_STRING", table.welcome);
    ini.writeString(kPhoneBaseSection, "GOOBYE_STRING", table.goodbye);
    if (writeFileAtomic(path, ini.toBytes()))
        return {false, std::string(kPhoneBaseSaveErrorMessage)};
    return {true, std::string(kPhoneBaseSavedMessage)};
}

PhoneBaseFileResult loadPhoneBaseFile(const std::string& path, PhoneBaseTable& table) {
    const ReadResult file = readFileLimited(path, kPhoneBaseFileMaxSize);
    if (!file.ok()) return {false, std::string(kPhoneBaseLoadErrorMessage)};
    const IniProfile ini = IniProfile::fromBytes(file.bytes);

    PhoneBaseTable loaded;
    for (int n = 1; n <= kPhoneBaseRows; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const std::string index = std::to_string(n);
        loaded.numbers[i] = ini.readString(kPhoneBaseSection, "NUMBER_" + index, "");
        loaded.names[i] = ini.readString(kPhoneBaseSection, "NAME_" + index, "");
    }
    loaded.welcome =
        utf8Left(ini.readString(kPhoneBaseSection, "WELCOME_STRING", ""), kPhoneBaseTextMax);
    loaded.goodbye =
        utf8Left(ini.readString(kPhoneBaseSection, "GOOBYE_STRING", ""), kPhoneBaseTextMax);
    table = std::move(loaded);
    return {true, std::string(kPhoneBaseLoadedMessage)};
}

} // namespace qv
