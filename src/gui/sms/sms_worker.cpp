#include "gui/sms/sms_worker.hpp"

#include "platform/port_target.hpp"

#include <memory>

namespace qv::gui {

class SmsWorkerObserver final : public SmsBatchObserver {
  public:
    explicit SmsWorkerObserver(SmsWorker& w) : w_(w) {}
    void modemLine(const std::string& line, bool fromProgram) override {
        Q_EMIT w_.logLine(QString::fromStdString((fromProgram ? "> " : "< ") + line));
    }
    void note(const std::string& text) override { Q_EMIT w_.logLine(QString::fromStdString(text)); }
    void modemStatus(const ModemStatus& s) override {
        Q_EMIT w_.modemStatus(QString::fromStdString(s.text()));
    }
    std::optional<std::string> pinWanted() override { return w_.waitForPin(); }
    void portShared(const std::string& evidence) override {
        Q_EMIT w_.logLine(QStringLiteral("Inny program używa portu modemu (%1)")
                              .arg(QString::fromStdString(evidence)));
    }
    void messageChanged(const SmsBatch& batch, std::size_t index) override {
        Q_EMIT w_.messageChanged(batch, static_cast<int>(index));
    }
    void replyReceived(const SmsReply& reply) override { Q_EMIT w_.replyReceived(reply); }

  private:
    SmsWorker& w_;
};

void SmsWorker::run(const SmsRunRequest& request) {
    SmsBatch batch = request.batch;
    auto done = [&](bool completed, const std::string& message, std::int64_t entry) {
        {
            std::lock_guard lock(mutex_);
            sender_ = nullptr;
            pin_.reset();
            pinAsked_ = false;
        }
        Q_EMIT finished(batch, completed, QString::fromStdString(message), entry);
    };
    std::string error;
    auto target = PortTarget::create(request.portName, error);
    if (!target) return done(false, error, 0);
    SystemClock storeClock;
    std::unique_ptr<SmsBatchStore> store;
    ArchiveSmsBatchStore* archive = nullptr;
    if (!request.archivePath.empty()) {
        auto a = std::make_unique<ArchiveSmsBatchStore>(request.archivePath, storeClock,
                                                        request.userName);
        if (request.target) a->setTarget(batch.id, *request.target);
        archive = a.get();
        store = std::move(a);
    } else {
        store = std::make_unique<JsonFileSmsBatchStore>(request.jsonPath);
    }
    SmsWorkerObserver observer(*this);
    SmsBatchSender sender(batch, *store, target->port(), target->clock(), observer,
                          request.options);
    bool stopped = false;
    {
        std::lock_guard lock(mutex_);
        stopped = stop_;
        if (!stopped) sender_ = &sender;
    }
    if (stopped) return done(false, "wysyłkę przerwano", 0);
    const SmsRunResult r = sender.run(target->openName(), std::nullopt);
    done(r.completed, r.message, archive ? archive->completionEntry() : 0);
}

void SmsWorker::prepareRun() {
    std::lock_guard lock(mutex_);
    stop_ = false;
}

void SmsWorker::requestStop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
    if (sender_) sender_->requestStop();
    if (pinAsked_ && !pin_) pin_ = std::optional<std::string>{};
    answered_.notify_all();
}

void SmsWorker::answerPin(const std::optional<std::string>& pin) {
    std::lock_guard lock(mutex_);
    if (!pinAsked_ || pin_) return;
    pin_ = pin;
    answered_.notify_all();
}

std::optional<std::string> SmsWorker::waitForPin() {
    std::unique_lock lock(mutex_);
    if (stop_) return std::nullopt;
    pinAsked_ = true;
    pin_.reset();
    lock.unlock();
    Q_EMIT pinWanted();
    lock.lock();
    answered_.wait(lock, [&] { return pin_.has_value(); });
    pinAsked_ = false;
    auto answer = *pin_;
    pin_.reset();
    return answer;
}

} // namespace qv::gui
