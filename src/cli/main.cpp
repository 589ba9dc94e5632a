#include "archive/archive_text.hpp"
#include "cli/cli_commands.hpp"
#include "common/file_io.hpp"
#include "common/settings_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// The folder of the running program, whichever way it was started (through PATH too).
std::string executableDir(const std::string& argv0) {
    std::wstring name(MAX_PATH, L'\0');
    std::filesystem::path p;
    for (int tries = 0; tries < 8 && p.empty(); ++tries) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) break;
        if (n < name.size())
            p = name.substr(0, n);
        else
            name.resize(name.size() * 2); // the name was cut short
    }
    std::error_code ec;
    if (p.empty()) p = std::filesystem::absolute(qv::pathFromUtf8(argv0).value_or(""), ec);
    std::string dir = qv::utf8FromPath(p.parent_path());
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir.push_back('\\');
    return dir;
}

std::string utf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.pop_back(); // the terminating zero
    return text;
}

// The messages are UTF-8: the console shows them so while the program runs.
class Utf8Console {
  public:
    Utf8Console() : old_(GetConsoleOutputCP()) { SetConsoleOutputCP(CP_UTF8); }
    ~Utf8Console() {
        if (old_ != 0) SetConsoleOutputCP(old_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT old_;
};
#else
std::string executableDir(const std::string& argv0) {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) p = std::filesystem::absolute(argv0, ec);
    std::string dir = p.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir.push_back('/');
    return dir;
}
#endif

// QVPROG2.INI's folder by the window's rule: beside the program when its folder can be written,
// otherwise in the user's configuration folder.
std::string settingsDir(const std::string& exeDir) {
#ifdef _WIN32
    // The wide calls, so that a folder named with Polish letters comes through as UTF-8.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    // Windows reports every folder writable (_waccess sees only the read-only attribute), so a
    // file is tried, as the window does.
    bool writable = false;
    if (const auto dir = qv::pathFromUtf8(exeDir)) {
        const std::filesystem::path probe =
            *dir / ("qvprog-write-test-" + std::to_string(_getpid()));
        {
            std::ofstream f(probe, std::ios::app);
            writable = f.is_open();
        }
        std::error_code ec;
        if (writable) std::filesystem::remove(probe, ec);
    }
    return qv::settingsFolder(exeDir, writable, {"", "", appData ? qv::utf8FromPath(appData) : ""});
#else
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    const bool writable = access(exeDir.c_str(), W_OK) == 0;
    return qv::settingsFolder(exeDir, writable, {env("XDG_CONFIG_HOME"), env("HOME"), ""});
#endif
}

// The archive's file and the user's name, from the environment.
#ifdef _WIN32
std::string environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? qv::utf8FromPath(value) : std::string();
}
std::string archivePath() {
    return qv::archiveFilePath({environment(L"QVPROG_ARCHIVE"), "", "", environment(L"APPDATA")});
}
std::string userName() {
    return environment(L"USERNAME");
}
#else
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
std::string archivePath() {
    return qv::archiveFilePath({environment(qv::kArchiveEnvironment), environment("XDG_DATA_HOME"),
                                environment("HOME"), ""});
}
std::string userName() {
    const std::string user = environment("USER");
    return user.empty() ? environment("LOGNAME") : user;
}
#endif

void printUsage(std::ostream& os) {
    os << "Użycie: qvprog-cli POLECENIE [ARGUMENTY]\n";
    for (const auto& group : {qv::cli::configCommandUsage(), qv::cli::deviceCommandUsage(),
                              qv::cli::monitorCommandUsage(), qv::cli::diffCommandUsage(),
                              qv::cli::reportCommandUsage(), qv::cli::archiveCommandUsage(),
                              qv::cli::smsSendCommandUsage()})
        for (const auto& line : group)
            os << "  " << line << '\n';
}

int runCli(const std::string& argv0, const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? qv::cli::kExitUsage : qv::cli::kExitOk;
    }
    const std::string exeDir = executableDir(argv0);
    const qv::cli::Invocation inv{args,          std::cout, std::cerr, exeDir, settingsDir(exeDir),
                                  archivePath(), userName()};
    try {
        for (auto* run :
             {&qv::cli::runConfigCommand, &qv::cli::runDeviceCommand, &qv::cli::runMonitorCommand,
              &qv::cli::runDiffCommand, &qv::cli::runReportCommand, &qv::cli::runArchiveCommand,
              &qv::cli::runSmsSendCommand}) {
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

} // namespace

#ifdef _WIN32
// main() would get the arguments in the ANSI code page, which cannot hold every file name:
// they are taken wide and passed on as UTF-8, as everything in the program is.
int wmain(int argc, wchar_t** argv) {
    const Utf8Console console;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(utf8(argv[i]));
    return runCli(argc > 0 ? utf8(argv[0]) : std::string(), args);
}
#else
int main(int argc, char** argv) {
    return runCli(argc > 0 ? argv[0] : "", std::vector<std::string>(argv + 1, argv + argc));
}
#endif
