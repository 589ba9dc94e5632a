#include "gui/link/link_worker.hpp"

#include "archive/archive_session.hpp"
#include "archive/config_archive.hpp"
#include "link/link_session.hpp"
#include "link/port_failure.hpp"
#include "link/round_trip.hpp"
#include "platform/port_target.hpp"
#include "platform/system_port.hpp"
#include "sim/sim_setup.hpp"

namespace qv::gui {

namespace {
class Observer final : public LinkObserver {
  public:
    explicit Observer(LinkWorker& w) : w_(w) {}
    void logLine(const std::string& text) override {
        Q_EMIT w_.logLine(QString::fromStdString(text));
    }
    void gaugeMaximum(int m) override { w_.gaugeMax = m; }
    void gaugeValue(int v) override { w_.gaugeValue = v; }
    void messageBox(const std::string& text) override {
        // A port failure's message waits for the end of the session, where what to do is
        // added to it.
        if (text.rfind(kPortErrorPrefix, 0) == 0) {
            heldPortError = text;
            return;
        }
        showMessage(text);
    }
    void showMessage(const std::string& text) {
        Q_EMIT w_.messageBox(QString::fromStdString(text));
    }
    void waitProgress(int waitedMs, int limitMs) override {
        w_.waitedMs = waitedMs;
        w_.waitLimitMs = limitMs;
    }
    void waitEnded() override { w_.waitLimitMs = 0; }
    void latencyHint(const LatencyHint& hint) override {
        QStringList lines;
        for (const auto& line : hint.lines)
            lines << QString::fromStdString(line);
        Q_EMIT w_.adapterHint(lines, hint.offersElevatedFix, QString::fromStdString(hint.port));
    }

    std::string heldPortError;

  private:
    LinkWorker& w_;
};

// After a session a port failure ended: the explanation (read from the system here, on the
// session's thread) goes to the log and after the message's first line.
void reportPortFailure(Observer& observer, const LinkSession& session) {
    if (observer.heldPortError.empty()) return;
    std::string message = observer.heldPortError;
    const auto& failure = session.portFailure();
    if (failure && !isSimPortName(failure->port)) {
        const auto explanation = explainSystemPortFailure(*failure);
        for (const auto& line : explanation)
            observer.logLine(line);
        message = portFailureMessage(*failure, explanation);
    }
    observer.heldPortError.clear();
    observer.showMessage(message);
}
} // namespace

void LinkWorker::run(const SessionRequest& requestIn, const LinkInputs& inputs) {
    Observer observer(*this);
    LinkResults results;
    std::string error;
    auto target = PortTarget::create(requestIn.portName, error);
    if (!target) {
        // An unusable simulated-port option is reported like any port that cannot be opened.
        observer.logLine(error);
        observer.messageBox("Błąd otwarcia portu: " + requestIn.portName);
        Q_EMIT finished(results);
        return;
    }
    SessionRequest request = requestIn;
    request.portName = target->openName();
    LinkSession session(target->port(), target->clock(), observer);
    session.setAdapterTuner(&target->adapter());
    if (inputs.image) session.configImage() = *inputs.image;
    if (inputs.phoneBase) session.phoneBase() = *inputs.phoneBase;
    session.setFirmwareFile(inputs.firmwareFile);
    results.sessionResult = session.run(request);
    reportPortFailure(observer, session);
    if (!target->saveState(error)) observer.logLine(error);
    results.identity = session.identity();
    results.status = session.statusBytes();
    results.firmwareSize = session.firmwareFileSize();
    results.firmwareFileUnreadable = !inputs.firmwareFile.empty() && session.firmwareFile().empty();
    if (results.sessionResult > 0) {
        switch (request.mode) {
        case LinkMode::readConfig:
            results.configImage = session.configImage();
            break;
        case LinkMode::readEvents:
            results.eventBuffer = session.eventBuffer();
            break;
        case LinkMode::readPhoneBase:
            results.phoneBase = session.phoneBase();
            break;
        case LinkMode::readCounters:
            results.counters = session.counters();
            break;
        default:
            break;
        }
    }
    // The archive never changes the session's outcome: what it cannot keep is one log line.
    if (inputs.archive) {
        const SystemClock clock;
        const auto entry =
            sessionEntry(session, request.mode,
                         {clock.localTime(), inputs.archive->userName, inputs.archive->fileName,
                          ReadBack::notAsked, requestIn.portName});
        if (entry) {
            const ArchiveStoreOutcome stored = storeInArchive(inputs.archive->path, *entry);
            results.archivedId = stored.id;
            if (stored.message) observer.logLine(*stored.message);
        }
    }
    Q_EMIT finished(results);
}

} // namespace qv::gui
