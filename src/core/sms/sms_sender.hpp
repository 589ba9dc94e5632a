#pragma once
// Sends a batch through a modem: prepares the modem, then sends every message still to send,
// one at a time with a pause between them (the module takes one command at a time), keeping
// each message's state in the store before and after the modem is given it; then waits a while
// for the delivery reports. Replies from the module's number are kept in the batch and
// reported with their time.
//
// Messages whose fate is unknown are never sent: the user decides first (resolveUnknown).
#include "common/clock.hpp"
#include "link/serial_port.hpp"
#include "sms/modem_session.hpp"
#include "sms/sms_batch.hpp"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace qv {

struct SmsSendOptions {
    Clock::Duration interval = std::chrono::seconds(5);    // between two messages
    Clock::Duration reportWait = std::chrono::seconds(60); // for reports after the last one
    Clock::Duration replyWait = std::chrono::seconds(10);  // then for the module's replies
    SubmitOptions submit;                                  // validity, delivery report
    ModemSession::Timeouts timeouts;
};

class SmsBatchObserver : public ModemObserver {
  public:
    // A message's state changed (it is already kept in the store).
    virtual void messageChanged(const SmsBatch& /*batch*/, std::size_t /*index*/) {}
    virtual void replyReceived(const SmsReply&) {}
};

struct SmsRunResult {
    bool completed = false; // every message to send was tried and the modem stayed usable
    std::string message;    // why the run stopped early (Polish)
};

class SmsBatchSender final : private ModemObserver {
  public:
    SmsBatchSender(SmsBatch& batch, SmsBatchStore& store, SerialPort& port, Clock& clock,
                   SmsBatchObserver& observer, SmsSendOptions options = {});

    // The messages a run sends: pending ones and those that failed.
    static bool toSend(const SmsMessageRecord& m);

    SmsRunResult run(const std::string& portName, const std::optional<std::string>& pin);
    // Asks a run to stop (from any thread, e.g. the window's "Przerwij"): no further message is
    // given to the modem; one the modem already has is still followed to its answer.
    void requestStop() { stop_ = true; }

  private:
    // ModemObserver: what the session reports, passed on or taken into the batch.
    void modemLine(const std::string& line, bool fromProgram) override;
    void note(const std::string& text) override;
    void modemStatus(const ModemStatus& s) override;
    std::optional<std::string> pinWanted() override;
    void statusReport(const StatusReport& report) override;
    void smsReceived(const DeliveredSms& sms) override;
    void portShared(const std::string& evidence) override;

    bool keep(std::string& error);
    void changed(std::size_t index);
    bool awaitingReports() const;

    SmsBatch& batch_;
    SmsBatchStore& store_;
    Clock& clock_;
    SmsBatchObserver& observer_;
    SmsSendOptions options_;
    ModemSession session_;
    std::atomic<bool> stop_{false};
};

} // namespace qv
