#include "cli_helpers.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace qv::test {

namespace {
std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
} // namespace

CliRun runCli(const std::string& args) {
    static int counter = 0;
    const auto base =
        std::filesystem::temp_directory_path() /
        ("qvprog-cli-run-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    const std::string outPath = base.string() + ".out";
    const std::string errPath = base.string() + ".err";
    const std::string cmd = std::string("\"") + QVPROG_CLI_PATH + "\" " + args + " >\"" + outPath +
                            "\" 2>\"" + errPath + "\" </dev/null";
    const int status = std::system(cmd.c_str());
    CliRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return r;
}

std::string scratchDir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("qvprog-cli-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

} // namespace qv::test
