#include "gui/link_worker.hpp"

#include "link/link_session.hpp"
#include "link/round_trip.hpp"
#include "platform/port_target.hpp"

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

  private:
    LinkWorker& w_;
};
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
    Q_EMIT finished(results);
}

} // namespace qv::gui
