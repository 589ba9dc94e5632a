#pragma once
// A batch of configuration SMS to one module: its number, its commands, and the fate of each
// message, kept where a restart finds it. A message is marked "being sent" (and that is kept)
// before the modem is given it, so that after a crash, a closed window or an unplugged modem
// no message is forgotten, and none the network accepted is sent again unasked: one found
// "being sent" is "unknown" and waits for the user's choice.
#include "common/clock.hpp"
#include "sms/sms_commands.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum class SmsMessageState {
    pending,      // not sent yet
    sending,      // handed to the modem (only while a run lasts)
    unknown,      // was being sent when the run stopped: it may have gone out
    accepted,     // the network took it (its reference is known)
    delivered,    // a delivery report says the module received it
    failed,       // refused or never sent: sent again when the batch is resumed
    notDelivered, // the network took it, then reported it could not deliver it
};

struct SmsMessageRecord {
    int offset = 0;
    std::string command;             // "*P..."
    std::vector<std::string> labels; // the settings it sets
    SmsMessageState state = SmsMessageState::pending;
    std::optional<int> reference; // TP-MR the network gave it
    std::optional<int> cmsError;  // the modem's +CMS ERROR, when it gave one
    std::string reason;           // why it failed or was not delivered (Polish)
    std::string acceptedAt;       // local time "YYYY-MM-DD hh:mm:ss"
    std::string deliveredAt;      // the network's time of delivery, or the local time
    bool assumedSent = false;     // an unknown one the user declared sent
    int attempts = 0;
    bool operator==(const SmsMessageRecord&) const = default;
};

// A message from the module's number that arrived while the batch ran.
struct SmsReply {
    std::string from;
    std::string text;
    std::string sentAt;     // the network's time stamp, when it gave one
    std::string receivedAt; // local time
    bool operator==(const SmsReply&) const = default;
};

struct SmsBatch {
    std::string id;      // unique in a store
    std::string number;  // normalised ("+48600100200")
    std::string created; // local time
    std::string source;  // what the commands came from, for the user
    std::vector<SmsMessageRecord> messages;
    std::vector<SmsReply> replies;
    bool abandoned = false; // the user started a new batch to the same number instead

    // Nothing is left to send and nothing waits for a decision.
    bool finished() const;
    // Every message was accepted by the network (delivered ones included).
    bool allAccepted() const;
    // A batch read back after its run stopped: a message "being sent" becomes unknown.
    void markInterrupted();
    bool operator==(const SmsBatch&) const = default;
};

// A new batch of the change's commands to number (already normalised), made at now.
SmsBatch makeSmsBatch(const std::string& number, const SmsChange& change, std::string source,
                      const LocalDateTime& now);

// What the user decided about the messages whose fate is unknown.
enum class UnknownChoice { resend, treatAsSent };
// Returns how many messages it changed.
int resolveUnknown(SmsBatch& batch, UnknownChoice choice);

// One line of a message's state for the user: "przyjęta przez sieć (nr 17)", "doręczona
// 2024-05-01 12:00:07 +02:00", "odrzucona: +CMS ERROR 42: przeciążenie sieci", ...
std::string smsStateText(const SmsMessageRecord& message);
// The state's word in the store: "pending", "accepted", ...
std::string_view smsStateName(SmsMessageState state);
std::optional<SmsMessageState> smsStateFromName(std::string_view name);

// Where batches are kept. The JSON file below now; the configuration archive's database later.
class SmsBatchStore {
  public:
    virtual ~SmsBatchStore() = default;
    // Every batch kept, oldest first (none when nothing was kept yet); nothing, with the
    // reason in error (Polish), when the store cannot be read.
    virtual std::optional<std::vector<SmsBatch>> loadAll(std::string& error) = 0;
    // Keeps the batch, replacing the one with its id. False, with the reason, when it could
    // not be kept; the store is then as it was.
    virtual bool save(const SmsBatch& batch, std::string& error) = 0;
};

// The newest unfinished, not abandoned batch to number (in either form, "+48600100200" or
// "600100200"); nothing when there is none (error
// stays empty) or the store cannot be read (error says why).
std::optional<SmsBatch> unfinishedBatchFor(SmsBatchStore& store, std::string_view number,
                                           std::string& error);

// Batches as one JSON document in a file, written whole through a temporary file and a rename
// at every change, so a crash leaves the old or the new state, never half of one. A damaged
// file is reported and never overwritten. The newest 200 finished batches are kept.
class JsonFileSmsBatchStore final : public SmsBatchStore {
  public:
    explicit JsonFileSmsBatchStore(std::string path) : path_(std::move(path)) {}
    std::optional<std::vector<SmsBatch>> loadAll(std::string& error) override;
    bool save(const SmsBatch& batch, std::string& error) override;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The store's text of batches, and back (for the file store and its tests).
std::string smsBatchesJson(const std::vector<SmsBatch>& batches);
std::optional<std::vector<SmsBatch>> smsBatchesFromJson(std::string_view text, std::string& error);

} // namespace qv
