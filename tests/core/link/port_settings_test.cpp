#include "link/port_settings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(PortSettingsFile, defaultsSaveAndHandEditedValues) {
    const fs::path dir = fs::temp_directory_path() / "qvprog_port_settings";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string exeDir = dir.string() + "/";

    const auto missing = loadPortSettings(exeDir, "/dev/ttyUSB0");
    EXPECT_EQ(missing.portName, "/dev/ttyUSB0");
    EXPECT_FALSE(missing.reverseReset);

    {
        std::ofstream f(dir / "QVPROG2.INI", std::ios::binary);
        f << "[OTHER]\r\nkeep=1\r\n[SETTINGS]\r\nport=COM7\r\nreverse_reset=2\r\n";
    }
    const auto edited = loadPortSettings(exeDir, "COM1");
    EXPECT_EQ(edited.portName, "COM7");
    EXPECT_TRUE(edited.reverseReset);

    const auto saved = savePortSettings(exeDir, {"/dev/ttyACM0", false});
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.message, "Konfiguracja zapisana");
    const auto back = loadPortSettings(exeDir, "COM1");
    EXPECT_EQ(back.portName, "/dev/ttyACM0");
    EXPECT_FALSE(back.reverseReset);
    std::string text;
    {
        std::ifstream in(dir / "QVPROG2.INI", std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    } // closed before the folder goes: Windows removes no open file
    EXPECT_NE(text.find("keep=1"), std::string::npos);
    EXPECT_NE(text.find("reverse_reset=0"), std::string::npos);

    const auto failed = savePortSettings(exeDir + "missing/", {"COM2", true});
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message,
              "Błąd zapisu konfiguracji na dysku: " + exeDir + "missing/QVPROG2.INI");
    fs::remove_all(dir);
}

} // namespace
} // namespace qv
