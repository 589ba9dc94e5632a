#include "cli/cli_commands.hpp"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace {

std::string executableDir(const char* argv0) {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) p = std::filesystem::absolute(argv0, ec);
    std::string dir = p.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir.push_back('/');
    return dir;
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
    const qv::cli::Invocation inv{args, std::cout, std::cerr, executableDir(argv[0])};
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
