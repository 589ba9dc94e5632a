#pragma once
// Why a port could not be opened or failed while open, and what the user should do about it.
// The session records the failure; the platform looks at the port and the user
// (PortFacts); explainPortFailure turns both into Polish lines that follow the first line
// every caller already shows ("Błąd otwarcia portu: NAME").
#include "link/port_catalog.hpp"
#include "link/serial_port.hpp"

#include <optional>
#include <string>
#include <vector>

namespace qv {

// The first line of every port failure a session reports.
inline constexpr const char* kPortErrorPrefix = "Błąd otwarcia portu: ";

struct PortFailure {
    std::string port;   // the name it was opened by
    std::string reason; // the system's words ("Permission denied")
    PortFault fault = PortFault::other;
    bool whileOpen = false; // it failed after it had been opened (during a session)
};

// A program that has the port open.
struct PortHolder {
    int pid = 0;
    std::string program;     // its short name ("minicom")
    std::string commandLine; // "minicom -D /dev/ttyUSB0"; empty when hidden
    bool self = false;       // this very program (another of its windows holds the port)
};

enum class PortSystem { gnuLinux, windows, other };

// What the system tells about a port and the user, looked at after a failure (or for the
// port list). Fields the system cannot tell stay empty.
struct PortFacts {
    PortSystem system = PortSystem::other;
    std::string port;
    std::optional<bool> exists; // the device is there now

    // Linux: the device file's owner, group and mode, and the user.
    std::string ownerName; // "root"
    std::string groupName; // "dialout"
    bool groupIsRoot = false;
    unsigned mode = 0;    // permission bits (0660)
    std::string userName; // "jan"
    bool userIsRoot = false;
    bool userInGroup = false;     // the user database makes the user a member of the group
    bool sessionHasGroup = false; // this program runs with the group (the login is new enough)
    std::optional<bool> mayOpen;  // this program may open it for reading and writing

    // Programs that hold it, and whether some programs could not be looked into.
    std::vector<PortHolder> holders;
    bool holdersHidden = false;

    // The ports and adapters there are now (for a missing or vanished port).
    PortInventory inventory;
};

// The session's failure from the error it caught.
PortFailure portFailureFrom(const std::string& port, const PortError& error, bool whileOpen);

// "crw-rw----" for a character device with mode 0660.
std::string modeText(unsigned mode);

// What to tell after the first line, in Polish: what happened, named with the port, and what
// to do. Never empty.
std::vector<std::string> explainPortFailure(const PortFailure& failure, const PortFacts& facts);

// The whole text of the message: the first line callers rely on, then the explanation.
std::string portFailureMessage(const PortFailure& failure,
                               const std::vector<std::string>& explanation);

// Whether this user may open the port, in one Polish line for the port list: "tak",
// "tak, ale teraz używa go: minicom (PID 812)", "nie: ...".
std::string portAccessText(const PortFacts& facts);

} // namespace qv
