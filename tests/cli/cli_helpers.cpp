#include "cli_helpers.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {

namespace {

// Every qvprog-cli a test starts keeps its archive entries in a file of this test process, never
// in the archive of the user who runs the tests. A test that sets QVPROG_ARCHIVE itself wins.
class ScratchArchive {
  public:
    ScratchArchive()
        : path_((std::filesystem::temp_directory_path() /
                 ("qvprog-cli-archive-" + std::to_string(::getpid()) + ".sqlite"))
                    .string()) {
        ::setenv("QVPROG_ARCHIVE", path_.c_str(), 1);
    }
    ~ScratchArchive() {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(path_ + suffix, ec);
    }
    ScratchArchive(const ScratchArchive&) = delete;
    ScratchArchive& operator=(const ScratchArchive&) = delete;

  private:
    std::string path_;
};
const ScratchArchive scratchArchive;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
} // namespace

CliRun runCli(const std::string& args) {
    return runCliWithEnvironment("", args);
}

CliRun runCliWithEnvironment(const std::string& envArgs, const std::string& args) {
    static int counter = 0;
    const auto base =
        std::filesystem::temp_directory_path() /
        ("qvprog-cli-run-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    const std::string outPath = base.string() + ".out";
    const std::string errPath = base.string() + ".err";
    const std::string cmd = (envArgs.empty() ? std::string() : "env " + envArgs + " ") + "\"" +
                            QVPROG_CLI_PATH + "\" " + args + " >\"" + outPath + "\" 2>\"" +
                            errPath + "\" </dev/null";
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
