#include "common/settings_folder.hpp"

namespace qv {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool isSeparator(char c) {
    return c == '/' || c == kSeparator;
}

} // namespace

bool isAbsoluteUserPath(const std::string& p) {
#ifdef _WIN32
    return (p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/')) ||
           (p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && p[0] == p[1]);
#else
    return !p.empty() && p[0] == '/';
#endif
}

std::string joinUserPath(std::string base, std::initializer_list<const char*> parts) {
    while (base.size() > 1 && isSeparator(base.back()))
        base.pop_back();
    for (const char* part : parts) {
        if (base.empty() || !isSeparator(base.back())) base.push_back(kSeparator);
        base += part;
    }
    return base;
}

std::string settingsFolder(const std::string& exeDir, bool exeDirWritable,
                           const UserFolders& user) {
    if (exeDirWritable) return exeDir;
#ifdef _WIN32
    if (isAbsoluteUserPath(user.appData))
        return joinUserPath(user.appData, {kSettingsSubfolder}) + kSeparator;
#else
    if (isAbsoluteUserPath(user.xdgConfigHome))
        return joinUserPath(user.xdgConfigHome, {kSettingsSubfolder}) + kSeparator;
    if (isAbsoluteUserPath(user.home))
        return joinUserPath(user.home, {".config", kSettingsSubfolder}) + kSeparator;
#endif
    return exeDir;
}

} // namespace qv
