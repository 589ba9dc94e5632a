#include "sms/sms_batch.hpp"

#include "common/file_io.hpp"
#include "common/text_format.hpp"
#include "sms/sms_pdu.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace qv {

namespace {

constexpr std::uintmax_t kMaxStoreBytes = 16 * 1024 * 1024;
constexpr std::size_t kFinishedKept = 200;
constexpr int kStoreVersion = 1;

struct StateName {
    SmsMessageState state;
    std::string_view name;
};
constexpr std::array<StateName, 7> kStateNames = {{
    {SmsMessageState::pending, "pending"},
    {SmsMessageState::sending, "sending"},
    {SmsMessageState::unknown, "unknown"},
    {SmsMessageState::accepted, "accepted"},
    {SmsMessageState::delivered, "delivered"},
    {SmsMessageState::failed, "failed"},
    {SmsMessageState::notDelivered, "notDelivered"},
}};

bool networkTook(SmsMessageState s) {
    return s == SmsMessageState::accepted || s == SmsMessageState::delivered ||
           s == SmsMessageState::notDelivered;
}

using Json = nlohmann::ordered_json;

Json toJson(const SmsMessageRecord& m) {
    Json j;
    j["offset"] = m.offset;
    j["command"] = m.command;
    j["labels"] = m.labels;
    j["state"] = smsStateName(m.state);
    if (m.reference) j["reference"] = *m.reference;
    if (m.cmsError) j["cmsError"] = *m.cmsError;
    j["reason"] = m.reason;
    j["acceptedAt"] = m.acceptedAt;
    j["deliveredAt"] = m.deliveredAt;
    j["assumedSent"] = m.assumedSent;
    j["attempts"] = m.attempts;
    return j;
}

Json toJson(const SmsBatch& b) {
    Json j;
    j["id"] = b.id;
    j["number"] = b.number;
    j["created"] = b.created;
    j["source"] = b.source;
    j["abandoned"] = b.abandoned;
    j["messages"] = Json::array();
    for (const auto& m : b.messages)
        j["messages"].push_back(toJson(m));
    j["replies"] = Json::array();
    for (const auto& r : b.replies)
        j["replies"].push_back({{"from", r.from},
                                {"text", r.text},
                                {"sentAt", r.sentAt},
                                {"receivedAt", r.receivedAt}});
    return j;
}

// Reads a field of the expected type; false leaves the field as it was.
template <class T> bool field(const Json& j, const char* key, T& out, bool required = true) {
    const auto it = j.find(key);
    if (it == j.end()) return !required;
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        // A whole number in range only: a fraction or a huge value is a damaged store, and
        // converting one would be undefined.
        if (!it->is_number_integer()) return false;
        if (it->is_number_unsigned()) {
            const auto v = it->template get<std::uint64_t>();
            if (v > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) return false;
        } else {
            const auto v = it->template get<std::int64_t>();
            if (v < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
                v > static_cast<std::int64_t>(std::numeric_limits<T>::max()))
                return false;
        }
    }
    try {
        out = it->template get<T>();
        return true;
    } catch (const nlohmann::json::exception&) {
        return false;
    }
}

std::optional<SmsMessageRecord> messageFrom(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    SmsMessageRecord m;
    std::string state;
    int reference = -1;
    int cms = -1;
    bool ok = field(j, "offset", m.offset) && field(j, "command", m.command) &&
              field(j, "labels", m.labels) && field(j, "state", state) &&
              field(j, "reference", reference, false) && field(j, "cmsError", cms, false) &&
              field(j, "reason", m.reason, false) && field(j, "acceptedAt", m.acceptedAt, false) &&
              field(j, "deliveredAt", m.deliveredAt, false) &&
              field(j, "assumedSent", m.assumedSent, false) &&
              field(j, "attempts", m.attempts, false);
    const auto s = smsStateFromName(state);
    if (!ok || !s || !m.command.starts_with("*P")) return std::nullopt;
    m.state = *s;
    if (j.contains("reference")) m.reference = reference;
    if (j.contains("cmsError")) m.cmsError = cms;
    return m;
}

std::optional<SmsBatch> batchFrom(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    SmsBatch b;
    if (!field(j, "id", b.id) || !field(j, "number", b.number) ||
        !field(j, "created", b.created, false) || !field(j, "source", b.source, false) ||
        !field(j, "abandoned", b.abandoned, false) || b.id.empty())
        return std::nullopt;
    const auto messages = j.find("messages");
    if (messages == j.end() || !messages->is_array()) return std::nullopt;
    for (const auto& mj : *messages) {
        auto m = messageFrom(mj);
        if (!m) return std::nullopt;
        b.messages.push_back(std::move(*m));
    }
    if (const auto replies = j.find("replies"); replies != j.end()) {
        if (!replies->is_array()) return std::nullopt;
        for (const auto& rj : *replies) {
            SmsReply r;
            if (!rj.is_object() || !field(rj, "from", r.from) || !field(rj, "text", r.text) ||
                !field(rj, "sentAt", r.sentAt, false) ||
                !field(rj, "receivedAt", r.receivedAt, false))
                return std::nullopt;
            b.replies.push_back(std::move(r));
        }
    }
    return b;
}

} // namespace

bool SmsBatch::finished() const {
    return std::all_of(messages.begin(), messages.end(),
                       [](const SmsMessageRecord& m) { return networkTook(m.state); });
}

bool SmsBatch::allAccepted() const {
    return std::all_of(messages.begin(), messages.end(), [](const SmsMessageRecord& m) {
        return m.state == SmsMessageState::accepted || m.state == SmsMessageState::delivered;
    });
}

void SmsBatch::markInterrupted() {
    for (auto& m : messages)
        if (m.state == SmsMessageState::sending) {
            m.state = SmsMessageState::unknown;
            m.reason = "wysyłanie przerwane: wiadomość mogła wyjść";
        }
}

SmsBatch makeSmsBatch(const std::string& number, const SmsChange& change, std::string source,
                      const LocalDateTime& now) {
    SmsBatch b;
    b.number = number;
    b.created = formatProgDate(now);
    b.id = b.created + " " + number;
    b.source = std::move(source);
    for (const auto& c : change.commands) {
        SmsMessageRecord m;
        m.offset = c.offset;
        m.command = c.text;
        m.labels = c.labels;
        b.messages.push_back(std::move(m));
    }
    return b;
}

int resolveUnknown(SmsBatch& batch, UnknownChoice choice) {
    int changed = 0;
    for (auto& m : batch.messages) {
        if (m.state != SmsMessageState::unknown) continue;
        ++changed;
        if (choice == UnknownChoice::resend) {
            m.state = SmsMessageState::pending;
            m.reason.clear();
        } else {
            m.state = SmsMessageState::accepted;
            m.assumedSent = true;
            m.reason.clear();
        }
    }
    return changed;
}

std::string_view smsStateName(SmsMessageState state) {
    for (const auto& s : kStateNames)
        if (s.state == state) return s.name;
    return "pending";
}

std::optional<SmsMessageState> smsStateFromName(std::string_view name) {
    for (const auto& s : kStateNames)
        if (s.name == name) return s.state;
    return std::nullopt;
}

std::string smsStateText(const SmsMessageRecord& m) {
    switch (m.state) {
    case SmsMessageState::pending:
        return "czeka na wysłanie";
    case SmsMessageState::sending:
        return "wysyłanie";
    case SmsMessageState::unknown:
        return "stan nieznany: mogła wyjść (" +
               (m.reason.empty() ? "bez potwierdzenia" : m.reason) + ")";
    case SmsMessageState::accepted:
        if (m.assumedSent) return "uznana za wysłaną";
        return "przyjęta przez sieć" +
               (m.reference ? " (nr " + std::to_string(*m.reference) + ")" : std::string());
    case SmsMessageState::delivered:
        return "doręczona" + (m.deliveredAt.empty() ? std::string() : " " + m.deliveredAt);
    case SmsMessageState::failed:
        return "nie wysłana: " + m.reason;
    case SmsMessageState::notDelivered:
        return "nie doręczona: " + m.reason;
    }
    return {};
}

std::optional<SmsBatch> unfinishedBatchFor(SmsBatchStore& store, std::string_view number,
                                           std::string& error) {
    error.clear();
    const auto all = store.loadAll(error);
    if (!all) return std::nullopt;
    for (auto it = all->rbegin(); it != all->rend(); ++it)
        if (!it->abandoned && !it->finished() && samePhoneNumber(it->number, number)) return *it;
    return std::nullopt;
}

std::string smsBatchesJson(const std::vector<SmsBatch>& batches) {
    Json j;
    j["version"] = kStoreVersion;
    j["batches"] = Json::array();
    for (const auto& b : batches)
        j["batches"].push_back(toJson(b));
    return j.dump(1) + "\n";
}

std::optional<std::vector<SmsBatch>> smsBatchesFromJson(std::string_view text, std::string& error) {
    const auto j = Json::parse(text, nullptr, false);
    int version = 0;
    if (j.is_discarded() || !j.is_object() || !field(j, "version", version) ||
        version != kStoreVersion || !j.contains("batches") || !j["batches"].is_array()) {
        error = "nieczytelny zapis";
        return std::nullopt;
    }
    std::vector<SmsBatch> out;
    for (const auto& bj : j["batches"]) {
        auto b = batchFrom(bj);
        if (!b) {
            error = "błędny zapis wysyłki";
            return std::nullopt;
        }
        b->markInterrupted();
        out.push_back(std::move(*b));
    }
    return out;
}

std::optional<std::vector<SmsBatch>> JsonFileSmsBatchStore::loadAll(std::string& error) {
    const ReadResult file = readFileLimited(path_, kMaxStoreBytes);
    if (file.status == ReadResult::Status::Missing) return std::vector<SmsBatch>{};
    if (!file.ok()) {
        error = "Nie można odczytać stanu wysyłek SMS: " + path_;
        return std::nullopt;
    }
    std::string why;
    auto batches = smsBatchesFromJson(file.bytes, why);
    if (!batches) error = "Plik stanu wysyłek SMS jest uszkodzony (" + why + "): " + path_;
    return batches;
}

bool JsonFileSmsBatchStore::save(const SmsBatch& batch, std::string& error) {
    auto all = loadAll(error);
    if (!all) return false;
    const auto same =
        std::find_if(all->begin(), all->end(), [&](const SmsBatch& b) { return b.id == batch.id; });
    if (same != all->end())
        *same = batch;
    else
        all->push_back(batch);
    // Keep the newest finished batches and every unfinished one.
    std::size_t finished = 0;
    for (auto it = all->rbegin(); it != all->rend(); ++it)
        finished += it->finished() || it->abandoned;
    for (auto it = all->begin(); it != all->end() && finished > kFinishedKept;) {
        if ((it->finished() || it->abandoned) && it->id != batch.id) {
            it = all->erase(it);
            --finished;
        } else {
            ++it;
        }
    }
    if (const auto failed = writeFileAtomic(path_, smsBatchesJson(*all))) {
        error = "Nie można zapisać stanu wysyłek SMS (" + *failed + "): " + path_;
        return false;
    }
    return true;
}

} // namespace qv
