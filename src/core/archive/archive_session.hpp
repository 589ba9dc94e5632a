#pragma once
// What a finished device session hands to the archive: the window and the command line build
// their entries by this one rule.
#include "archive/archive_types.hpp"
#include "link/link_session.hpp"

#include <optional>

namespace qv {

// What the caller knows about the session beyond the session itself.
struct EntryContext {
    LocalDateTime time;
    std::string userName;
    std::string fileName;
    ReadBack readBack = ReadBack::notAsked;
    std::string portName{}; // as the user named it (the request's port)
};

// The entry of a successful configuration read (the image the module sent) or write (the image
// it was sent); nothing for a failed session or any other kind of session.
std::optional<NewArchiveEntry> sessionEntry(const LinkSession& session, LinkMode mode,
                                            const EntryContext& context);

} // namespace qv
