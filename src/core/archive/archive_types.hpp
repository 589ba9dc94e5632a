#pragma once
// What the configuration archive keeps: one entry for every configuration read from a module
// or written to one, with the module's identification and what the configuration says about
// its site.
#include "common/clock.hpp"
#include "config/config_image.hpp"
#include "link/link_types.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// An entry's state. Read and written entries never change state; later kinds of entries (a
// configuration sent by SMS and not yet confirmed) may. A state this program does not know (a
// later version wrote it) is kept and shown as it is.
inline constexpr std::string_view kStateRead = "read";
inline constexpr std::string_view kStateWritten = "written";

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
