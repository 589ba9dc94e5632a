#include "common/settings_folder.hpp"

#include <initializer_list>

namespace qv {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
bool isAbsolute(const std::string& p) {
    return (p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/')) ||
           (p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && p[0] == p[1]);
}
#else
constexpr char kSeparator = '/';
bool isAbsolute(const std::string& p) {
    return !p.empty() && p[0] == '/';
}
#endif

bool isSeparator(char c) {
    return c == '/' || c == kSeparator;
}

// base + parts joined with single separators, ending in one.
std::string join(std::string base, std::initializer_list<const char*> parts) {
    while (base.size() > 1 && isSeparator(base.back()))
        base.pop_back();
    if (base.empty() || !isSeparator(base.back())) base.push_back(kSeparator);
    for (const char* part : parts) {
        base += part;
        base.push_back(kSeparator);
    }
    return base;
}

} // namespace

std::string settingsFolder(const std::string& exeDir, bool exeDirWritable,
                           const UserFolders& user) {
    if (exeDirWritable) return exeDir;
#ifdef _WIN32
    if (isAbsolute(user.appData)) return join(user.appData, {kSettingsSubfolder});
#else
    if (isAbsolute(user.xdgConfigHome)) return join(user.xdgConfigHome, {kSettingsSubfolder});
    if (isAbsolute(user.home)) return join(user.home, {".config", kSettingsSubfolder});
#endif
    return exeDir;
}

} // namespace qv
