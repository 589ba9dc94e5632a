#pragma once
// The monitor's port, owned and used by a thread of its own. The thread opens the port (real or
// simulated), reads it every 20 ms and hands the bytes to the window in batches, in order; the
// writes the window asks for (the restart pulse on RTS, AT commands, the clock command) run on
// the same thread between reads, so a port is never used from two threads. The user-interface
// thread never waits on the port except for opening, the bad-PIN hold and closing.
//
// Memory stays bounded whatever the sender's speed: the port keeps at most its read buffer,
// and the bytes handed to the window and not yet taken are at most kMaxInFlight. What the
// window cannot take in time is read and dropped, and the count of it goes with the next batch.
#include "common/clock.hpp"
#include "link/port_failure.hpp"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

namespace qv {
class PortTarget;
}

namespace qv::gui {

class MonitorPortWorker;

class MonitorReader : public QObject {
    Q_OBJECT
  public:
    static constexpr int kBatchMs = 20;
    static constexpr qint64 kMaxInFlight = 256 * 1024;

    explicit MonitorReader(QObject* parent = nullptr);
    ~MonitorReader() override;

    // Opens the port by name ("sim[:options]" for the simulated module) and releases the
    // module's reset line; false when it cannot be opened. Waits for the port thread.
    bool open(const QString& portName, bool reverseReset);
    // Why the last open failed (the system's words), for the explanation of what to do.
    const qv::PortFailure& openFailure() const { return openFailure_; }
    // Instead of a port: plays the given bytes at bytesPerSecond, as a module would send them
    // (for measurements and tests). Writes then go nowhere.
    void openReplay(const QByteArray& bytes, int bytesPerSecond);
    // Closes the port (a failure to close is ignored). Waits for the port thread.
    void close();

    // Asserts the reset line for 500 ms, then releases it.
    void restart(bool reverseReset);
    // Asserts the reset line and leaves it so (a module stopped on a wrong PIN). Waits.
    void holdInReset(bool reverseReset);
    // The terminal's sends and the clock synchronisation.
    void sendCommand(const QString& command);
    void sendSmsBody(const QString& command, const QString& body);
    void synchronizeClock(const qv::LocalDateTime& now);

    // Test seams: runs fn on the port thread with the open port (or the one last closed) and
    // waits; a simulated module on the virtual clock runs scale times faster than real time.
    void inspect(const std::function<void(qv::PortTarget&)>& fn);
    void setVirtualTimeScale(double scale);

    // Bytes read from the port and not yet through received() on this object's thread.
    qint64 bytesInFlight() const { return inFlight_.load(); }
    // Bytes read from the port and dropped for want of room, since this object was made.
    qint64 bytesDropped() const { return droppedTotal_.load(); }

  Q_SIGNALS:
    // A batch, in order. dropped() comes before the batch that follows bytes read and dropped.
    void received(const QByteArray& bytes);
    void dropped(qint64 bytes);
    // The terminal's marker line, between the sends of a command.
    void note(const QString& line);
    void clockSent();
    void portFailed(const QString& reason);

  private:
    qv::PortFailure openFailure_;
    std::atomic<qint64> inFlight_{0};
    std::atomic<qint64> droppedTotal_{0};
    QThread thread_;
    MonitorPortWorker* worker_;
};

} // namespace qv::gui
