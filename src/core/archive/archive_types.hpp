#pragma once
// What the configuration archive keeps: one entry for every configuration read from a module
// or written to one, with the module's identification and what the configuration says about
// its site.
#include "common/clock.hpp"
#include "config/config_image.hpp"
#include "link/link_types.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// An entry's state. Read and written entries never change state; later kinds of entries (a
// configuration sent by SMS and not yet confirmed) may. A state this program does not know (a
// later version wrote it) is kept and shown as it is.
inline constexpr std::string_view kStateRead = "read";
inline constexpr std::string_view kStateWritten = "written";
// A configuration sent by SMS: every message was accepted by the network, so the module should
// now hold it, but no read has shown it yet. A later read of the module that holds it (on every
// byte an SMS can set) makes it confirmed; a read that differs leaves it as it is, the read's
// own entry being the newer one.
inline constexpr std::string_view kStateSmsUnconfirmed = "sms-unconfirmed";
inline constexpr std::string_view kStateSmsConfirmed = "sms-confirmed";

// What a read-back after a write found.
enum class ReadBack {
    notAsked, // no read-back was made
    same,     // the module holds every byte sent
    differs,  // the module holds other bytes
    failed,   // the read-back session failed
};

// What the program hands over to be kept. The site's name and number and the phone numbers
// are taken from the image when the entry is stored.
struct NewArchiveEntry {
    std::string state{kStateRead};
    ReadBack readBack = ReadBack::notAsked;
    ConfigImage image;
    DeviceIdentity identity;
    LocalDateTime time;
    std::string userName; // the computer's user
    std::string fileName; // the configuration's file, when it had one
    std::string portName; // the port the module answered on, as the user named it
    std::string note;
};

// One entry in a list: never the image, so never the module's password or SIM PIN.
struct ArchiveEntrySummary {
    std::int64_t id = 0;
    std::string time; // local time, "YYYY-MM-DD hh:mm:ss"
    std::string state;
    ReadBack readBack = ReadBack::notAsked;
    std::string serialNumber;
    std::string model;
    std::string siteName;
    std::string siteNumber;
    std::string userName;
    std::string fileName;
    std::string note;
    bool operator==(const ArchiveEntrySummary&) const = default;
};

// One entry in full, to open, export or compare. The image holds the password and the PIN.
struct ArchiveEntry {
    ArchiveEntrySummary summary;
    DeviceIdentity identity;
    ConfigImage image;
    std::vector<std::string> phoneNumbers; // the searchable digits, sorted
    std::string portName;                  // empty for entries kept before ports were
};

// A batch of configuration SMS as the archive keeps it. The batch itself is kept as the text
// its store makes of it; the archive only files it by number and keeps what it leads to.
struct StoredSmsBatch {
    std::string id;
    std::string number;
    std::string created;
    bool done = false; // finished or abandoned
    std::string body;
    std::int64_t baseEntry = 0;        // the entry the change was made against (0: none)
    std::optional<ConfigImage> target; // what the module holds once every message arrived
    std::string serialNumber;          // the module's, when known
    std::int64_t resultEntry = 0;      // the entry added when every message was accepted
};

// A module the archive has seen, as its latest entry describes it.
struct ArchiveModule {
    std::string serialNumber;
    std::string model;
    std::string siteName;
    std::string siteNumber;
    std::string lastSeen; // the time of its latest entry
    std::int64_t entryCount = 0;
    std::int64_t latestEntryId = 0;
    bool operator==(const ArchiveModule&) const = default;
};

} // namespace qv
