#include "platform/linux/port_access.hpp"

#include "platform/linux/sysfs_files.hpp"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

namespace qv {

namespace fs = std::filesystem;

namespace {

std::string userNameOf(uid_t uid, gid_t& primaryGroup) {
    std::vector<char> buffer(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &found) == 0 && found) {
        primaryGroup = pw.pw_gid;
        return pw.pw_name;
    }
    primaryGroup = getgid();
    return std::to_string(uid);
}

std::string groupNameOf(gid_t gid) {
    std::vector<char> buffer(16384);
    group gr{};
    group* found = nullptr;
    if (getgrgid_r(gid, &gr, buffer.data(), buffer.size(), &found) == 0 && found) return gr.gr_name;
    return std::to_string(gid);
}

// The groups the user database gives the user (its primary group included).
std::vector<gid_t> databaseGroups(const std::string& user, gid_t primary) {
    int count = 32;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    while (getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) {
        if (count <= static_cast<int>(groups.size())) return {primary}; // not in the database
        groups.resize(static_cast<std::size_t>(count));
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
}

// The groups this program runs with.
std::vector<gid_t> sessionGroups() {
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    const int n = getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(static_cast<std::size_t>(std::max(n, 0)));
    groups.push_back(getegid());
    return groups;
}

bool contains(const std::vector<gid_t>& groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<int> number(const std::string& text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || v <= 0)
        return std::nullopt;
    return v;
}

PortHolder holder(const fs::path& proc, int pid) {
    PortHolder h;
    h.pid = pid;
    h.self = pid == static_cast<int>(getpid());
    h.program = sysfs::readLine(proc / std::to_string(pid) / "comm");
    std::string command = readAll(proc / std::to_string(pid) / "cmdline");
    std::replace(command.begin(), command.end(), '\0', ' ');
    while (!command.empty() && command.back() == ' ')
        command.pop_back();
    h.commandLine = command;
    return h;
}

} // namespace

std::vector<PortHolder> linuxPortHolders(const std::string& port, const LinuxProcessRoots& roots,
                                         bool& hidden) {
    hidden = false;
    std::vector<PortHolder> holders;
    struct stat device {};
    if (::stat(port.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return holders;
    std::error_code ec;
    for (fs::directory_iterator it(roots.proc, ec), end; !ec && it != end; it.increment(ec)) {
        const auto pid = number(it->path().filename().string());
        if (!pid) continue;
        std::error_code fdError;
        fs::directory_iterator fds(it->path() / "fd", fdError);
        if (fdError) {
            // A process that ended meanwhile is not hidden; one of another user is.
            if (fdError != std::errc::no_such_file_or_directory) hidden = true;
            continue;
        }
        for (fs::directory_iterator fdEnd; fds != fdEnd; fds.increment(fdError)) {
            if (fdError) break;
            struct stat open {};
            if (::stat(fds->path().c_str(), &open) == 0 && S_ISCHR(open.st_mode) &&
                open.st_rdev == device.st_rdev) {
                holders.push_back(holder(roots.proc, *pid));
                break;
            }
        }
    }
    // Lock files: "LCK..ttyUSB0" holding the PID of a process that still runs.
    const std::string lockName = "LCK.." + fs::path(port).filename().string();
    for (const auto& dir : roots.lockDirs) {
        std::string text = sysfs::readLine(dir / lockName);
        text.erase(0, text.find_first_not_of(' '));
        const auto pid = number(text);
        if (!pid || !fs::exists(roots.proc / std::to_string(*pid), ec)) continue;
        const bool known = std::any_of(holders.begin(), holders.end(),
                                       [&](const PortHolder& h) { return h.pid == *pid; });
        if (!known) holders.push_back(holder(roots.proc, *pid));
    }
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return holders;
}

PortFacts linuxPortFacts(const std::string& port, const LinuxProcessRoots& roots) {
    PortFacts f;
    f.system = PortSystem::gnuLinux;
    f.port = port;
    gid_t primary = 0;
    f.userName = userNameOf(geteuid(), primary);
    f.userIsRoot = geteuid() == 0;
    struct stat device {};
    f.exists = ::stat(port.c_str(), &device) == 0;
    if (!*f.exists) return f;
    gid_t ignored = 0;
    f.ownerName = userNameOf(device.st_uid, ignored);
    f.groupName = groupNameOf(device.st_gid);
    f.groupIsRoot = device.st_gid == 0;
    f.mode = device.st_mode & 07777u;
    f.userInGroup = contains(databaseGroups(f.userName, primary), device.st_gid);
    f.sessionHasGroup = contains(sessionGroups(), device.st_gid);
    f.mayOpen = ::faccessat(AT_FDCWD, port.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
    f.holders = linuxPortHolders(port, roots, f.holdersHidden);
    return f;
}

} // namespace qv
