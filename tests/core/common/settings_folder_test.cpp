#include "common/settings_folder.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

#ifdef _WIN32
const std::string kExeDir = "C:\\Program Files\\QVProg\\";
#else
const std::string kExeDir = "/usr/bin/";
#endif

TEST(SettingsFolder, AWritableProgramFolderKeepsTheSettingsBesideTheProgram) {
    // A build tree or a portable folder: the user's folders play no part.
    EXPECT_EQ(settingsFolder(kExeDir, true, {"/home/ola/.cfg", "/home/ola", "C:\\Users\\Ola"}),
              kExeDir);
    EXPECT_EQ(settingsFolder(kExeDir, true, {}), kExeDir);
}

#ifndef _WIN32
TEST(SettingsFolder, AnInstalledProgramUsesTheUsersConfigurationFolder) {
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "/home/ola", ""}), "/home/ola/.config/qvprog/");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "/home/ola/", ""}), "/home/ola/.config/qvprog/");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"/home/ola/cfg", "/home/ola", ""}),
              "/home/ola/cfg/qvprog/");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"/home/ola/cfg//", "/home/ola", ""}),
              "/home/ola/cfg/qvprog/");
    // Polish letters pass through as UTF-8.
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "/home/paweł", ""}),
              "/home/paweł/.config/qvprog/");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "/", ""}), "/.config/qvprog/");
}

TEST(SettingsFolder, ARelativeOrMissingUserFolderIsNotUsed) {
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say; a relative HOME would make
    // the file depend on the current folder, so the program's own folder stays.
    EXPECT_EQ(settingsFolder(kExeDir, false, {"cfg", "/home/ola", ""}),
              "/home/ola/.config/qvprog/");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "home/ola", ""}), kExeDir);
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "", "C:\\Users\\Ola\\AppData"}), kExeDir);
    EXPECT_EQ(settingsFolder(kExeDir, false, {}), kExeDir);
}
#else
TEST(SettingsFolder, AnInstalledProgramUsesTheUsersApplicationData) {
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "", "C:\\Users\\Paweł\\AppData\\Roaming"}),
              "C:\\Users\\Paweł\\AppData\\Roaming\\qvprog\\");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "", "C:\\Users\\Ola\\AppData\\Roaming\\"}),
              "C:\\Users\\Ola\\AppData\\Roaming\\qvprog\\");
    EXPECT_EQ(settingsFolder(kExeDir, false, {"/home/ola/.cfg", "/home/ola", ""}), kExeDir);
    EXPECT_EQ(settingsFolder(kExeDir, false, {"", "", "AppData"}), kExeDir);
}
#endif

} // namespace
} // namespace qv
