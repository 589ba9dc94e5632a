#pragma once
// Batches of configuration SMS kept in the configuration archive, with the same guarantees as
// the JSON file store: every change of a message's state is one transaction, committed before
// the modem is given the message, so a killed process forgets nothing and a message the network
// accepted is never sent again unasked.
//
// A batch may know what it leads to (the base configuration with its commands applied, and the
// module's serial number): when every message of it has been accepted, the archive gets an
// entry of that configuration, "sent by SMS, not yet confirmed", once, in the transaction that
// keeps the batch's last state.
//
// Each call opens the archive for itself, so the store may be used from any one thread at a time
// (the window's worker, then the window).
#include "archive/config_archive.hpp"
#include "common/clock.hpp"
#include "sms/sms_batch.hpp"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv {

// What a batch leads to.
struct SmsBatchTarget {
    ConfigImage image;          // what the module holds once every message arrived
    std::int64_t baseEntry = 0; // the archive entry the change was made against (0: none)
    std::string serialNumber;   // the module's (empty: unknown, then no entry is added)
};

// The base with the commands' bytes written over it: what the module holds once they arrived.
ConfigImage imageAfterCommands(const ConfigImage& base, const SmsChange& change);

// The configuration a module holds now, as the archive knows it: the latest entry of the module
// whose serial number is text, or of the one module whose serial number, site name or number
// holds text. Nothing, with the reason (Polish), when the archive has no such module, when
// several match, or when it cannot be read.
struct ModuleBase {
    std::optional<ArchiveEntry> entry;
    std::string problem;
};
ModuleBase latestEntryOfModule(const std::string& archivePath, std::string_view text);

class ArchiveSmsBatchStore final : public SmsBatchStore {
  public:
    ArchiveSmsBatchStore(std::string path, Clock& clock, std::string userName = {},
                         ArchiveOptions options = {});

    // What the batch with this id leads to; kept with it when it is first saved.
    void setTarget(const std::string& batchId, SmsBatchTarget target);

    std::optional<std::vector<SmsBatch>> loadAll(std::string& error) override;
    bool save(const SmsBatch& batch, std::string& error) override;

    // The id of the entry the last completed batch added (0: none yet).
    std::int64_t completionEntry() const;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    Clock& clock_;
    std::string userName_;
    ArchiveOptions options_;
    mutable std::mutex mutex_;
    std::map<std::string, SmsBatchTarget> targets_;
    std::int64_t completionEntry_ = 0;
};

} // namespace qv
