#include "archive/archive_session.hpp"

namespace qv {

std::optional<NewArchiveEntry> sessionEntry(const LinkSession& session, LinkMode mode,
                                            const EntryContext& context) {
    if (session.sessionResult() != 1) return std::nullopt;
    if (mode != LinkMode::readConfig && mode != LinkMode::writeConfig) return std::nullopt;
    NewArchiveEntry e;
    e.state = mode == LinkMode::readConfig ? kStateRead : kStateWritten;
    e.readBack = mode == LinkMode::writeConfig ? context.readBack : ReadBack::notAsked;
    e.image = session.configImage();
    e.identity = session.identity();
    e.time = context.time;
    e.userName = context.userName;
    e.fileName = context.fileName;
    e.portName = context.portName;
    return e;
}

} // namespace qv
