#pragma once
// Where QVPROG2.INI lives. A program whose own folder can be written (a build tree, a portable
// folder on Windows) keeps it beside itself; an installed one, whose folder belongs to the
// system, keeps it in the user's configuration folder. The window and the command line choose
// by this one rule, so both read the same file.
#include <initializer_list>
#include <string>

namespace qv {

// What the caller found out about the user: the environment variables the folder is taken
// from (empty when unset).
struct UserFolders {
    std::string xdgConfigHome; // XDG_CONFIG_HOME
    std::string home;          // HOME
    std::string appData;       // APPDATA (Windows)
};

// The configuration folder's name below the user's configuration folder.
inline constexpr const char* kSettingsSubfolder = "qvprog";

// The folder QVPROG2.INI is read from and written to, with a trailing separator:
//   exeDir itself when exeDirWritable;
//   on Windows %APPDATA%\qvprog\;
//   elsewhere $XDG_CONFIG_HOME/qvprog/ (only an absolute XDG_CONFIG_HOME counts), otherwise
//   $HOME/.config/qvprog/;
//   exeDir again when none of these is known.
// The folder is not created here: the caller creates it before writing.
std::string settingsFolder(const std::string& exeDir, bool exeDirWritable, const UserFolders& user);

// Whether a folder from the environment names a place by itself ("/home/x", "C:\\x", "\\\\srv\\x"
// on Windows); a relative one would depend on where the program was started.
bool isAbsoluteUserPath(const std::string& path);
// base + parts joined by the system's separator, one between each; no trailing separator.
std::string joinUserPath(std::string base, std::initializer_list<const char*> parts);

} // namespace qv
