#pragma once
// Linux: what the system tells about a port and the user who cannot open it. The device
// file's owner, group and mode come from stat; the user's groups from the user database
// (getgrouplist) and from this program's own credentials (getgroups), which a login fixes
// when it starts, so a membership added later shows only in the first; whether the user may
// open it from access(2). The programs that hold it are found in /proc/*/fd, and through the
// lock files that Qt Serial Port and older serial programs leave (LCK..ttyUSB0 with the
// holder's PID). Tests point the /proc and lock-file roots at fake trees.
#include "link/port_failure.hpp"

#include <filesystem>
#include <vector>

namespace qv {

struct LinuxProcessRoots {
    std::filesystem::path proc = "/proc";
    // Where serial programs keep their lock files, as Qt Serial Port looks for them.
    std::vector<std::filesystem::path> lockDirs = {
        "/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
        "/tmp",      "/var/tmp",   "/run/lock"};
};

// The device, the user and the holders; the inventory is left for the caller.
PortFacts linuxPortFacts(const std::string& port, const LinuxProcessRoots& roots = {});

// The programs that have the device open (compared by device number, so any name of it
// counts) or hold its lock file. hidden: some processes could not be looked into.
std::vector<PortHolder> linuxPortHolders(const std::string& port, const LinuxProcessRoots& roots,
                                         bool& hidden);

} // namespace qv
