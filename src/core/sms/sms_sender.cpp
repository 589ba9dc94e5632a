#include "sms/sms_sender.hpp"

#include "common/text_format.hpp"

namespace qv {

namespace {

constexpr int kRefusalsInARow = 3;

} // namespace

SmsBatchSender::SmsBatchSender(SmsBatch& batch, SmsBatchStore& store, SerialPort& port,
                               Clock& clock, SmsBatchObserver& observer, SmsSendOptions options)
    : batch_(batch), store_(store), clock_(clock), observer_(observer), options_(options),
      session_(port, clock, *this, options.timeouts) {}

bool SmsBatchSender::toSend(const SmsMessageRecord& m) {
    return m.state == SmsMessageState::pending || m.state == SmsMessageState::failed;
}

bool SmsBatchSender::keep(std::string& error) {
    return store_.save(batch_, error);
}

void SmsBatchSender::changed(std::size_t index) {
    std::string error;
    if (!keep(error)) observer_.note(error);
    observer_.messageChanged(batch_, index);
}

bool SmsBatchSender::awaitingReports() const {
    for (const auto& m : batch_.messages)
        if (m.state == SmsMessageState::accepted && !m.assumedSent) return true;
    return false;
}

SmsRunResult SmsBatchSender::run(const std::string& portName,
                                 const std::optional<std::string>& pin) {
    batch_.markInterrupted();
    std::string kept;
    if (!keep(kept)) return {false, kept + ": nic nie wysłano"};
    const ModemResult ready = session_.open(portName, pin);
    if (!ready.ok) return {false, ready.message};

    bool first = true;
    int refusals = 0;
    for (std::size_t i = 0; i < batch_.messages.size(); ++i) {
        SmsMessageRecord& m = batch_.messages[i];
        if (!toSend(m)) continue;
        if (!first) session_.listen(options_.interval, [this] { return stop_.load(); });
        first = false;
        if (session_.portLost() || stop_) break;
        std::string error;
        const auto pdu = encodeSubmit(batch_.number, m.command, options_.submit, error);
        if (!pdu) {
            m.state = SmsMessageState::failed;
            m.reason = error;
            changed(i);
            continue;
        }
        // Kept as "being sent" before the modem has it: a run that stops now leaves it unknown.
        const SmsMessageRecord before = m;
        m.state = SmsMessageState::sending;
        ++m.attempts;
        if (!keep(error)) {
            m = before;
            return {false, error + ": nic więcej nie wysłano"};
        }
        observer_.messageChanged(batch_, i);
        const SubmitOutcome out = session_.submit(*pdu);
        m.cmsError = out.cmsError;
        switch (out.kind) {
        case SubmitOutcome::Kind::accepted:
            m.state = SmsMessageState::accepted;
            m.reference = out.reference;
            m.acceptedAt = formatProgDate(clock_.localTime());
            m.reason.clear();
            refusals = 0;
            break;
        case SubmitOutcome::Kind::refused:
        case SubmitOutcome::Kind::notSent:
            m.state = SmsMessageState::failed;
            m.reason = out.message;
            ++refusals;
            break;
        case SubmitOutcome::Kind::unknown:
            m.state = SmsMessageState::unknown;
            m.reason = out.message;
            break;
        }
        changed(i);
        if (session_.portLost()) break;
        if (refusals >= kRefusalsInARow) {
            session_.close();
            return {false, "Modem odrzucił trzy wiadomości z rzędu: wysyłkę przerwano"};
        }
    }
    if (session_.portLost()) {
        session_.close();
        return {false, "Modem przestał odpowiadać: wysyłkę przerwano (wznów ją, gdy modem wróci)"};
    }
    if (stop_) {
        session_.close();
        return {false, "Wysyłkę przerwano na życzenie (można ją wznowić)"};
    }
    if (session_.reportsOn() && options_.submit.statusReport) {
        session_.listen(options_.reportWait, [this] { return stop_ || !awaitingReports(); });
        // The module may answer the last command a little after it received it.
        session_.listen(options_.replyWait, [this] { return stop_.load(); });
    }
    session_.close();
    return {true, {}};
}

void SmsBatchSender::modemLine(const std::string& line, bool fromProgram) {
    observer_.modemLine(line, fromProgram);
}

void SmsBatchSender::note(const std::string& text) {
    observer_.note(text);
}

void SmsBatchSender::modemStatus(const ModemStatus& s) {
    observer_.modemStatus(s);
}

std::optional<std::string> SmsBatchSender::pinWanted() {
    return observer_.pinWanted();
}

void SmsBatchSender::portShared(const std::string& evidence) {
    observer_.portShared(evidence);
}

void SmsBatchSender::statusReport(const StatusReport& report) {
    observer_.statusReport(report);
    if (!samePhoneNumber(report.recipient, batch_.number)) return;
    // The newest message with that reference: references wrap after 255 messages.
    for (std::size_t i = batch_.messages.size(); i-- > 0;) {
        SmsMessageRecord& m = batch_.messages[i];
        if (m.state != SmsMessageState::accepted || m.assumedSent ||
            m.reference != static_cast<int>(report.reference))
            continue;
        switch (report.outcome()) {
        case ReportOutcome::delivered:
            m.state = SmsMessageState::delivered;
            m.deliveredAt = report.discharged ? timestampText(*report.discharged)
                                              : formatProgDate(clock_.localTime());
            break;
        case ReportOutcome::failed:
            m.state = SmsMessageState::notDelivered;
            m.reason = reportStatusText(report.status);
            break;
        case ReportOutcome::stillTrying:
            observer_.note("Wiadomość " + std::to_string(i + 1) + ": sieć ponawia doręczenie (" +
                           reportStatusText(report.status) + ")");
            return;
        }
        changed(i);
        return;
    }
}

void SmsBatchSender::smsReceived(const DeliveredSms& sms) {
    // Only the module's messages: what else the SIM receives is none of the batch's business.
    if (!samePhoneNumber(sms.sender, batch_.number)) return;
    observer_.smsReceived(sms);
    SmsReply reply{sms.sender, sms.text, sms.sent ? timestampText(*sms.sent) : std::string(),
                   formatProgDate(clock_.localTime())};
    batch_.replies.push_back(reply);
    std::string error;
    if (!keep(error)) observer_.note(error);
    observer_.replyReceived(reply);
}

} // namespace qv
