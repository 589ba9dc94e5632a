#include "cli/cli_commands.hpp"
#include "common/settings_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

std::string executableDir(const char* argv0) {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) p = std::filesystem::absolute(argv0, ec);
    std::string dir = p.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir.push_back('/');
    return dir;
}

// QVPROG2.INI's folder by the window's rule: beside the program when its folder can be written,
// otherwise in the user's configuration folder.
std::string settingsDir(const std::string& exeDir) {
#ifdef _WIN32
    // The wide calls, so that a folder named with Polish letters comes through as UTF-8.
    const auto utf8 = [](const std::filesystem::path& p) {
        const std::u8string s = p.u8string();
        return std::string(s.begin(), s.end());
    };
    const wchar_t* appData = _wgetenv(L"APPDATA");
    // Windows reports every folder writable (_waccess sees only the read-only attribute), so a
    // file is tried, as the window does.
    const std::filesystem::path probe =
        std::filesystem::path(std::u8string(exeDir.begin(), exeDir.end())) /
        ("qvprog-write-test-" + std::to_string(_getpid()));
    bool writable = false;
    {
        std::ofstream f(probe, std::ios::app);
        writable = f.is_open();
    }
    std::error_code ec;
    if (writable) std::filesystem::remove(probe, ec);
    return qv::settingsFolder(exeDir, writable, {"", "", appData ? utf8(appData) : ""});
#else
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    const bool writable = access(exeDir.c_str(), W_OK) == 0;
    return qv::settingsFolder(exeDir, writable, {env("XDG_CONFIG_HOME"), env("HOME"), ""});
#endif
}

void printUsage(std::ostream& os) {
    os << "Użycie: qvprog-cli POLECENIE [ARGUMENTY]\n";
    for (const auto& group : {qv::cli::configCommandUsage(), qv::cli::deviceCommandUsage(),
                              qv::cli::monitorCommandUsage(), qv::cli::diffCommandUsage()})
        for (const auto& line : group)
            os << "  " << line << '\n';
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? qv::cli::kExitUsage : qv::cli::kExitOk;
    }
    const std::string exeDir = executableDir(argv[0]);
    const qv::cli::Invocation inv{args, std::cout, std::cerr, exeDir, settingsDir(exeDir)};
    try {
        for (auto* run : {&qv::cli::runConfigCommand, &qv::cli::runDeviceCommand,
                          &qv::cli::runMonitorCommand, &qv::cli::runDiffCommand}) {
            if (auto rc = run(inv)) return *rc;
        }
    } catch (const std::exception& e) {
        std::cerr << "Błąd: " << e.what() << '\n';
        return qv::cli::kExitRefused;
    }
    std::cerr << "Nieznane polecenie: " << args[0] << '\n';
    printUsage(std::cerr);
    return qv::cli::kExitUsage;
}
