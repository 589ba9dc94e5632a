#include "gui/monitor/monitor_reader.hpp"

#include "link/at_terminal.hpp"
#include "monitor/monitor_commands.hpp"
#include "platform/port_target.hpp"
#include "platform/system_port.hpp"
#include "sim/sim_setup.hpp"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace qv::gui {

namespace {
constexpr std::size_t kReadPiece = 4096;
constexpr qsizetype kMaxBatch = 64 * 1024; // the rest waits for the next poll
} // namespace

// Lives on the reader's thread; every member is used there only.
class MonitorPortWorker : public QObject {
    Q_OBJECT
  public:
    MonitorPortWorker(std::atomic<qint64>& inFlight, std::atomic<qint64>& droppedTotal)
        : inFlight_(inFlight), droppedTotal_(droppedTotal) {}

    bool open(const std::string& portName, bool reverseReset, PortFailure& failure) {
        close();
        std::string error;
        auto target = PortTarget::create(portName, error);
        if (!target) {
            failure = PortFailure{portName, error, PortFault::other, false};
            return false;
        }
        try {
            target->port().open(target->openName());
            target->port().setReadBufferSize(kMonitorReadBufferSize);
            target->port().setRts(resetLineReleasedRts(reverseReset));
        } catch (const PortError& e) {
            failure = portFailureFrom(portName, e, target->port().isOpen());
            target->port().close();
            return false;
        }
        lastTarget_.reset();
        target_ = std::move(target);
        // The simulated module's options would not fit a message: it is named "sim".
        portName_ = isSimPortName(portName) ? std::string("sim") : portName;
        virtual_ = dynamic_cast<VirtualClock*>(&target_->clock());
        startPolling();
        return true;
    }

    void openReplay(const QByteArray& bytes, int bytesPerSecond) {
        close();
        replay_ = bytes;
        replayRate_ = std::max(bytesPerSecond, 1);
        replaySent_ = 0;
        startPolling();
    }

    void close() {
        if (timer_) timer_->stop();
        replay_.clear();
        if (!target_) return;
        target_->port().close();
        std::string error;
        target_->saveState(
            error); // a state file that cannot be written only loses the demo's memory
        lastTarget_ = std::move(target_);
        virtual_ = nullptr;
    }

    void restart(bool reverseReset) {
        withPort("Błąd restartu urządzenia", [&](PortTarget& t) {
            t.port().setRts(resetLineAssertedRts(reverseReset));
            t.clock().sleepFor(kResetPulse);
            t.port().setRts(resetLineReleasedRts(reverseReset));
        });
    }

    void holdInReset(bool reverseReset) {
        if (!target_) return;
        try {
            target_->port().setRts(resetLineAssertedRts(reverseReset));
        } catch (const PortError&) {
            // The window closes anyway; the message tells the user what to do.
        }
    }

    void sendCommand(const std::string& command) {
        withPort("Błąd wysyłania polecenia AT",
                 [&](PortTarget& t) { sendAtCommand(t.port(), t.clock(), command, noteFn()); });
    }

    void sendSmsBody(const std::string& command, const std::string& body) {
        withPort("Błąd wysyłania treści SMS", [&](PortTarget& t) {
            qv::sendSmsBody(t.port(), t.clock(), command, body, noteFn());
        });
    }

    void synchronizeClock(const LocalDateTime& now) {
        if (withPort("Błąd synchronizacji czasu", [&](PortTarget& t) {
                qv::synchronizeClock(t.port(), t.clock(), now, noteFn());
            }))
            Q_EMIT clockSent();
    }

    void inspect(const std::function<void(PortTarget&)>& fn) {
        if (PortTarget* t = target_ ? target_.get() : lastTarget_.get()) fn(*t);
    }

    void setVirtualTimeScale(double scale) {
        rebase();
        scale_ = scale;
    }

  Q_SIGNALS:
    void received(const QByteArray& bytes);
    void dropped(qint64 bytes);
    void note(const QString& line);
    void clockSent();
    void portFailed(const QString& reason);

  private:
    // Runs a port operation; a failing port is reported, a missing one (a replay) ignored.
    // The report leads with what failed and on which port, then the system's own words:
    // "Błąd synchronizacji czasu (port /dev/ttyUSB0): Input/output error".
    template <class F> bool withPort(const char* what, F&& f) {
        if (!target_) {
            if (replay_.isEmpty()) Q_EMIT portFailed(failure(what, "port nie jest otwarty"));
            return false;
        }
        try {
            f(*target_);
            return true;
        } catch (const PortError& e) {
            // What to do follows, read from the system here on the port's thread.
            QString message = failure(what, e.what());
            if (!target_->isSimulated())
                for (const auto& line :
                     explainSystemPortFailure(portFailureFrom(portName_, e, true)))
                    message += QLatin1Char('\n') + QString::fromStdString(line);
            Q_EMIT portFailed(message);
            return false;
        }
    }

    QString failure(const char* what, const std::string& reason) const {
        return QString::fromUtf8(what) + QStringLiteral(" (port ") +
               QString::fromStdString(portName_) + QStringLiteral("): ") +
               QString::fromStdString(reason);
    }

    TerminalNote noteFn() {
        return [this](const std::string& line) { Q_EMIT note(QString::fromStdString(line)); };
    }

    void startPolling() {
        if (!timer_) {
            timer_ = new QTimer(this);
            timer_->setTimerType(Qt::PreciseTimer);
            connect(timer_, &QTimer::timeout, this, &MonitorPortWorker::poll);
        }
        rebase();
        timer_->start(MonitorReader::kBatchMs);
    }

    void rebase() {
        started_.start();
        if (virtual_) virtualStart_ = virtual_->now();
    }

    void poll() {
        QByteArray batch;
        if (!replay_.isEmpty()) {
            // A continuous stream: the replay starts again from its beginning when it ends.
            const qint64 due = started_.elapsed() * replayRate_ / 1000;
            while (replaySent_ < due && batch.size() < kMaxBatch) {
                const qsizetype at = static_cast<qsizetype>(replaySent_ % replay_.size());
                const qsizetype n = std::min<qsizetype>({replay_.size() - at,
                                                         static_cast<qsizetype>(due - replaySent_),
                                                         kMaxBatch - batch.size()});
                batch.append(replay_.constData() + at, n);
                replaySent_ += n;
            }
        } else if (target_) {
            if (virtual_) {
                const auto real = std::chrono::milliseconds(started_.elapsed());
                virtual_->advanceTo(virtualStart_ +
                                    std::chrono::duration_cast<Clock::Duration>(real * scale_));
            }
            std::uint8_t buf[kReadPiece];
            try {
                while (batch.size() < kMaxBatch) {
                    const std::size_t n = target_->port().readAvailable(buf);
                    if (n == 0) break;
                    batch.append(reinterpret_cast<const char*>(buf), static_cast<qsizetype>(n));
                }
            } catch (const PortError&) {
                // A failing read is ignored; what was read so far is handed over.
            }
        }
        if (batch.isEmpty()) return;
        // The port is drained whatever the window's pace; what it has no room for is counted.
        if (inFlight_.load() + batch.size() > MonitorReader::kMaxInFlight) {
            dropped_ += batch.size();
            droppedTotal_ += batch.size();
            return;
        }
        if (dropped_ > 0) Q_EMIT dropped(std::exchange(dropped_, 0));
        inFlight_ += batch.size();
        Q_EMIT received(batch);
    }

    std::unique_ptr<PortTarget> target_;
    std::string portName_;                   // as a message names it
    std::unique_ptr<PortTarget> lastTarget_; // closed, kept for inspection
    VirtualClock* virtual_ = nullptr;
    Clock::TimePoint virtualStart_{};
    double scale_ = 1.0;
    QElapsedTimer started_;
    QTimer* timer_ = nullptr;
    QByteArray replay_;
    qint64 replayRate_ = 1;
    qint64 replaySent_ = 0;
    std::atomic<qint64>& inFlight_;
    std::atomic<qint64>& droppedTotal_;
    qint64 dropped_ = 0; // read and dropped since the last batch handed over
};

MonitorReader::MonitorReader(QObject* parent)
    : QObject(parent), worker_(new MonitorPortWorker(inFlight_, droppedTotal_)) {
    thread_.setObjectName(QStringLiteral("monitor port"));
    worker_->moveToThread(&thread_);
    // A batch is taken once the receivers here have handled it.
    connect(worker_, &MonitorPortWorker::received, this, [this](const QByteArray& bytes) {
        Q_EMIT received(bytes);
        inFlight_ -= bytes.size();
    });
    connect(worker_, &MonitorPortWorker::dropped, this, &MonitorReader::dropped);
    connect(worker_, &MonitorPortWorker::note, this, &MonitorReader::note);
    connect(worker_, &MonitorPortWorker::clockSent, this, &MonitorReader::clockSent);
    connect(worker_, &MonitorPortWorker::portFailed, this, &MonitorReader::portFailed);
    thread_.start();
}

MonitorReader::~MonitorReader() {
    close();
    thread_.quit();
    thread_.wait();
    delete worker_;
}

bool MonitorReader::open(const QString& portName, bool reverseReset) {
    bool ok = false;
    const std::string name = portName.toStdString();
    QMetaObject::invokeMethod(
        worker_, [&] { ok = worker_->open(name, reverseReset, openFailure_); },
        Qt::BlockingQueuedConnection);
    return ok;
}

void MonitorReader::openReplay(const QByteArray& bytes, int bytesPerSecond) {
    QMetaObject::invokeMethod(
        worker_, [&] { worker_->openReplay(bytes, bytesPerSecond); }, Qt::BlockingQueuedConnection);
}

void MonitorReader::close() {
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->close(); }, Qt::BlockingQueuedConnection);
}

void MonitorReader::restart(bool reverseReset) {
    QMetaObject::invokeMethod(worker_, [this, reverseReset] { worker_->restart(reverseReset); });
}

void MonitorReader::holdInReset(bool reverseReset) {
    QMetaObject::invokeMethod(
        worker_, [this, reverseReset] { worker_->holdInReset(reverseReset); },
        Qt::BlockingQueuedConnection);
}

void MonitorReader::sendCommand(const QString& command) {
    QMetaObject::invokeMethod(worker_,
                              [this, c = command.toStdString()] { worker_->sendCommand(c); });
}

void MonitorReader::sendSmsBody(const QString& command, const QString& body) {
    QMetaObject::invokeMethod(worker_, [this, c = command.toStdString(), b = body.toStdString()] {
        worker_->sendSmsBody(c, b);
    });
}

void MonitorReader::synchronizeClock(const LocalDateTime& now) {
    QMetaObject::invokeMethod(worker_, [this, now] { worker_->synchronizeClock(now); });
}

void MonitorReader::inspect(const std::function<void(PortTarget&)>& fn) {
    QMetaObject::invokeMethod(
        worker_, [&] { worker_->inspect(fn); }, Qt::BlockingQueuedConnection);
}

void MonitorReader::setVirtualTimeScale(double scale) {
    QMetaObject::invokeMethod(
        worker_, [this, scale] { worker_->setVirtualTimeScale(scale); },
        Qt::BlockingQueuedConnection);
}

} // namespace qv::gui

#include "monitor_reader.moc"
