#include "files_helpers.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qv::test {

namespace fs = std::filesystem;

namespace {

int shell(const std::string& command) {
    const int status = std::system(command.c_str());
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

void makeAllWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& name)
    : path_(fs::temp_directory_path() /
            ("qvprog_files_" + name + "_" + std::to_string(::getpid()))) {
    makeAllWritable(path_);
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    makeAllWritable(path_);
    fs::remove_all(path_, ec);
}

FullDisk::FullDisk(const fs::path& at) : at_(at) {
    if (!runningAsRoot()) {
        reason_ = "mounting a small tmpfs needs root";
        return;
    }
    fs::create_directories(at_);
    if (shell("mount -t tmpfs -o size=64k,mode=0777 qvprog-full " + at_.string() +
              " 2>/dev/null") != 0) {
        reason_ = "this machine does not allow mounting a tmpfs";
        return;
    }
    mounted_ = true;
}

FullDisk::~FullDisk() {
    if (mounted_) shell("umount " + at_.string());
}

void FullDisk::fill() const {
#ifdef _WIN32
    std::FILE* f = ::_wfopen((at_ / "filler").c_str(), L"wb");
#else
    std::FILE* f = std::fopen((at_ / "filler").c_str(), "wb");
#endif
    if (!f) return;
    std::setvbuf(f, nullptr, _IONBF, 0);
    const std::string block(512, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    // Whatever part of a block still fits, byte by byte.
    while (std::fputc('f', f) != EOF) {
    }
    std::fclose(f);
}

std::string readWholeFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeWholeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

bool runningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

#ifdef _WIN32
std::optional<ProcessRun> runTestsAsNobody(const std::string&, std::string& skipReason) {
    // Windows has no user nobody, and a read-only folder still takes new files there.
    skipReason = "POSIX users and permissions only";
    return std::nullopt;
}
#else
// The first folder on the way to `file` that the user nobody may not enter, with its mode
// (a home folder of mode 0700 is the usual one), as ": <folder> has mode 0700".
static std::string nobodyBlocker(const std::string& prefix, const fs::path& file) {
    fs::path folder;
    for (const fs::path& part : file.parent_path()) {
        folder /= part;
        if (shell(prefix + "test -x '" + folder.string() + "' 2>/dev/null") == 0) continue;
        std::error_code ec;
        const auto perms = fs::status(folder, ec).permissions();
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(perms) & 07777U);
        return ": it may not enter " + folder.string() + " (mode " + mode + ")";
    }
    return "";
}

std::optional<ProcessRun> runTestsAsNobody(const std::string& filter, std::string& skipReason) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        skipReason = "the test program cannot find its own path";
        return std::nullopt;
    }
    std::string prefix;
    if (runningAsRoot()) {
        prefix = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
        if (shell("command -v setpriv >/dev/null 2>&1") != 0) {
            skipReason = "setpriv (util-linux) is missing";
            return std::nullopt;
        }
    }
    // The user nobody may not reach every build (a checkout in /root): a copy of this program
    // in a folder of its own runs instead.
    const fs::path copyDir =
        fs::temp_directory_path() / ("qvprog_files_nobody_" + std::to_string(::getpid()));
    fs::remove_all(copyDir, ec);
    fs::create_directories(copyDir, ec);
    const fs::path copy = copyDir / self.filename();
    fs::copy_file(self, copy, ec);
    fs::permissions(copyDir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                    ec);
    if (!prefix.empty() && shell(prefix + "test -x " + copy.string() + " 2>/dev/null") != 0) {
        skipReason = "the user nobody cannot run " + copy.string() + nobodyBlocker(prefix, copy);
        fs::remove_all(copyDir, ec);
        return std::nullopt;
    }
    const fs::path log =
        fs::temp_directory_path() / ("qvprog_files_nobody_" + std::to_string(::getpid()) + ".log");
    ProcessRun run;
    run.exitCode = shell(prefix + copy.string() + " --gtest_also_run_disabled_tests" +
                         " --gtest_filter='" + filter + "' > " + log.string() + " 2>&1");
    run.output = readWholeFile(log);
    fs::remove(log, ec);
    fs::remove_all(copyDir, ec);
    return run;
}
#endif

} // namespace qv::test
