#pragma once
// Where the window keeps its archive entries and who it says made them: the same file and the
// same user as the command line, from the environment.
#include "archive/config_archive.hpp"

#include <string>

namespace qv::gui {

// The archive's file (QVPROG_ARCHIVE, else the user's data folder); empty when unknown.
std::string archivePath();
// The computer's user (USER or LOGNAME; USERNAME on Windows).
std::string archiveUserName();

// The archive, for reading and editing: nothing and no problem when the file does not exist
// yet (an empty archive); nothing with the one-line problem when it cannot be used.
struct ArchiveHandle {
    std::unique_ptr<ConfigArchive> archive;
    std::string problem;
};
ArchiveHandle openArchive(int busyTimeoutMs = 5000);

} // namespace qv::gui
