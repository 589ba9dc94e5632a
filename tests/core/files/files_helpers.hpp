#pragma once
// Folders, full disks and an unprivileged user for the tests of files under stress.
#include <filesystem>
#include <optional>
#include <string>

namespace qv::test {

// A fresh folder under the temporary folder, removed (with every permission restored first)
// when the object goes.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The folder's path with a trailing "/", as the program keeps folders.
    std::string dir() const { return path_.string() + "/"; }

  private:
    std::filesystem::path path_;
};

// A tmpfs of a few pages mounted on a folder, then filled up to its last byte. Mounting needs
// root; where it is not allowed, reason() says why.
class FullDisk {
  public:
    explicit FullDisk(const std::filesystem::path& at);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    const std::optional<std::string>& reason() const { return reason_; }
    // Fills what space is left (call after putting the old files in place).
    void fill() const;

  private:
    std::filesystem::path at_;
    bool mounted_ = false;
    std::optional<std::string> reason_;
};

std::string readWholeFile(const std::filesystem::path& p);
void writeWholeFile(const std::filesystem::path& p, const std::string& bytes);

// Whether this process runs as root, which ignores file permissions.
bool runningAsRoot();

struct ProcessRun {
    int exitCode = -1;
    std::string output; // standard output and standard error
};
// Runs this test program again as the user nobody (through setpriv when root), with the
// disabled tests of the filter: nothing when that cannot be arranged, with the reason in
// skipReason.
std::optional<ProcessRun> runTestsAsNobody(const std::string& filter, std::string& skipReason);

} // namespace qv::test
