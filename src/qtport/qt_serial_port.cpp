#include "qtport/qt_serial_port.hpp"

#include "qtport/driver_line_state.hpp"

#include <QCoreApplication>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <optional>

#if defined(__linux__)
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>
#endif

namespace qv {

namespace {

// Write time-out: 100 ms per byte plus 1000 ms.
int writeTimeoutMs(std::size_t bytes) {
    return static_cast<int>(1000 + 100 * bytes);
}

void requestLowLatency([[maybe_unused]] QSerialPort& port) {
#if defined(__linux__)
    // Not every driver knows the request (pseudo-terminals do not): a refusal is harmless.
    serial_struct s{};
    const int fd = static_cast<int>(port.handle());
    if (fd >= 0 && ioctl(fd, TIOCGSERIAL, &s) == 0) {
        s.flags |= ASYNC_LOW_LATENCY;
        ioctl(fd, TIOCSSERIAL, &s);
    }
#endif
}

// Serial programs that lock the device with flock (picocom, screen, ...) and ours keep out of
// each other's way: two programs on one module would mix their bytes. The exclusive mode Qt
// sets (TIOCEXCL) does not stop root, the lock does. A descriptor that cannot be locked for
// another reason counts as free. False when another program holds the lock.
bool lockExclusively([[maybe_unused]] QSerialPort& port) {
#if defined(__linux__)
    const int fd = static_cast<int>(port.handle());
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
#endif
    return true;
}

// The port's file descriptor for the driver's own requests; -1 where there is none.
int descriptor([[maybe_unused]] QSerialPort& port) {
#if defined(Q_OS_UNIX)
    return static_cast<int>(port.handle());
#else
    return -1;
#endif
}

class QtSerialPort final : public SerialPort {
  public:
    void open(const std::string& name) override {
        if (port_ && port_->isOpen()) throw PortError("port already open");
        port_ = std::make_unique<QSerialPort>();
        port_->setPortName(QString::fromStdString(name));
        name_ = name;
        if (!port_->open(QIODevice::ReadWrite)) fail();
        if (!lockExclusively(*port_)) {
            close();
            throw PortError("Device or resource busy", PortFault::busy);
        }
        const bool ok =
            port_->setBaudRate(kLinkBaudRate) && port_->setDataBits(QSerialPort::Data8) &&
            port_->setParity(QSerialPort::NoParity) && port_->setStopBits(QSerialPort::OneStop) &&
            port_->setFlowControl(QSerialPort::NoFlowControl);
        if (!ok) {
            const std::string why = port_->errorString().toStdString();
            close();
            throw PortError(why);
        }
        // Both lines off at once. A port without modem lines (a pseudo-terminal) refuses;
        // that only matters when the caller drives RTS, and setRts reports it then.
        port_->setDataTerminalReady(false);
        port_->setRequestToSend(false);
        port_->clearError();
        requestLowLatency(*port_);
        port_->setReadBufferSize(static_cast<qint64>(readBufferSize_));
        rx80Reported_ = false;
        breaks_ = driverBreakCount(descriptor(*port_));
    }

    void close() noexcept override {
        if (port_) port_->close();
        port_.reset();
    }

    bool isOpen() const override { return port_ && port_->isOpen(); }
    std::string name() const override { return name_; }

    void setBaudRate(int baud) override {
        requireOpen();
        if (!port_->setBaudRate(baud)) fail();
    }

    void purge(bool receive, bool transmit) override {
        requireOpen();
        if (receive && transmit) {
            if (!port_->clear(QSerialPort::AllDirections)) fail();
        } else if (receive) {
            if (!port_->clear(QSerialPort::Input)) fail();
        } else if (transmit) {
            if (!port_->clear(QSerialPort::Output)) fail();
        }
    }

    void setRts(bool on) override {
        requireOpen();
        if (!port_->setRequestToSend(on)) fail();
    }

    using SerialPort::write;
    std::size_t write(std::span<const std::uint8_t> bytes) override {
        requireOpen();
        if (bytes.empty()) return 0;
        const auto n = port_->write(reinterpret_cast<const char*>(bytes.data()),
                                    static_cast<qint64>(bytes.size()));
        if (n < 0) fail();
        while (port_->bytesToWrite() > 0) {
            if (!port_->waitForBytesWritten(writeTimeoutMs(bytes.size()))) {
                if (port_->error() == QSerialPort::TimeoutError) break; // handed over in part
                fail();
            }
        }
        return static_cast<std::size_t>(n);
    }

    std::size_t readAvailable(std::span<std::uint8_t> out) override {
        requireOpen();
        if (out.empty()) return 0;
        // Without an event loop Qt fills its buffer only inside a wait: look without waiting.
        if (port_->bytesAvailable() == 0) {
            port_->waitForReadyRead(0);
            if (port_->error() == QSerialPort::TimeoutError) port_->clearError();
        }
        const auto n =
            port_->read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(out.size()));
        if (n < 0) fail();
        return static_cast<std::size_t>(n);
    }

    bool waitReadable(Clock::Duration timeout) override {
        requireOpen();
        if (port_->bytesAvailable() > 0) return true;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
        if (ms <= 0) return false;
        if (port_->waitForReadyRead(static_cast<int>(std::min<long long>(ms, 1 << 30))))
            return true;
        if (port_->error() == QSerialPort::TimeoutError || port_->error() == QSerialPort::NoError) {
            port_->clearError();
            return false;
        }
        fail();
    }

    void setReadBufferSize(std::size_t bytes) override {
        readBufferSize_ = bytes;
        if (port_) port_->setReadBufferSize(static_cast<qint64>(bytes));
    }

    // Qt reports neither condition: the bytes waiting in Qt's buffer and the driver's are
    // compared with the read buffer's size, and the driver's break counter is watched where
    // the driver keeps one (Linux serial drivers; not pseudo-terminals).
    PortLineEvents takeLineEvents() noexcept override {
        PortLineEvents events;
        if (!port_ || !port_->isOpen()) return events;
        const int fd = descriptor(*port_);
        if (readBufferSize_ > 0) {
            const long long waiting = port_->bytesAvailable() + driverQueuedBytes(fd).value_or(0);
            const bool full = waiting * 10 >= static_cast<long long>(readBufferSize_) * 8;
            events.receiveBuffer80Full = full && !rx80Reported_;
            rx80Reported_ = full;
        }
        if (const auto breaks = driverBreakCount(fd)) {
            events.breakReceived = breaks_ && *breaks != *breaks_;
            breaks_ = breaks;
        }
        return events;
    }

  private:
    void requireOpen() const {
        if (!port_ || !port_->isOpen()) throw PortError("port not open");
    }
    [[noreturn]] void fail() {
        const std::string why = port_ ? port_->errorString().toStdString() : "port not open";
        if (port_) port_->clearError();
        throw PortError(why);
    }

    std::unique_ptr<QSerialPort> port_;
    std::string name_;
    std::size_t readBufferSize_ = 0; // 0: Qt's buffer is not bounded
    bool rx80Reported_ = false;      // reported once until the bytes waiting fall below 80 %
    std::optional<long long> breaks_;
};

} // namespace

std::unique_ptr<SerialPort> makeQtSerialPort() {
    // QSerialPort's notifiers need the thread's event dispatcher, which a program without a
    // Qt application object (the command line) lacks: give it one, once, on first use.
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "qvprog";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    return std::make_unique<QtSerialPort>();
}

std::vector<std::string> listPortNames() {
    std::vector<std::string> names;
    for (const auto& info : QSerialPortInfo::availablePorts()) {
#if defined(_WIN32)
        names.push_back(info.portName().toStdString());
#else
        names.push_back(info.systemLocation().toStdString());
#endif
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace qv
