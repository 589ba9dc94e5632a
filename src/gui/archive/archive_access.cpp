#include "gui/archive/archive_access.hpp"

#include "archive/archive_text.hpp"

#include <QDir>
#include <QString>
#include <QtGlobal>

namespace qv::gui {

namespace {
std::string env(const char* name) {
    return qEnvironmentVariable(name).toStdString();
}
} // namespace

std::string archivePath() {
    ArchiveFolders folders;
    folders.archive = env(kArchiveEnvironment);
#ifdef Q_OS_WIN
    folders.appData = env("APPDATA");
    if (!folders.archive.empty())
        folders.archive =
            QDir::toNativeSeparators(QString::fromStdString(folders.archive)).toStdString();
#else
    folders.xdgDataHome = env("XDG_DATA_HOME");
    folders.home = env("HOME");
#endif
    return archiveFilePath(folders);
}

std::string archiveUserName() {
#ifdef Q_OS_WIN
    return env("USERNAME");
#else
    const std::string user = env("USER");
    return user.empty() ? env("LOGNAME") : user;
#endif
}

ArchiveHandle openArchive(int busyTimeoutMs) {
    ArchiveOptions options;
    options.busyTimeoutMs = busyTimeoutMs;
    auto opened = ConfigArchive::open(archivePath(), ConfigArchive::Access::existing, options);
    ArchiveHandle h;
    h.archive = std::move(opened.archive);
    if (!h.archive && !opened.missing) h.problem = archiveReadMessage(opened.problem);
    return h;
}

} // namespace qv::gui
