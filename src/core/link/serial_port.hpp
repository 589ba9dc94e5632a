#pragma once
// What the program needs of a serial port. The real backend (qvprog_qtport) and the simulated
// module's port (sim/) both implement it, so the session code runs unchanged against either.
#include "common/clock.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// What kind of failure a port operation met, so that the user can be told what to do.
enum class PortFault {
    other,        // any other failure (the reason says which)
    missing,      // no port of that name
    accessDenied, // the system does not let this user open it
    busy,         // another program holds it
    gone,         // it vanished while open (an adapter unplugged)
    io,           // an input/output error on the line or in the driver
};

// The kind of failure the operating system's words name ("Permission denied",
// "No such file or directory", "Device or resource busy", ...); other when they name none.
PortFault portFaultFromReason(std::string_view reason);

// Any failing port operation throws this; the message names the operating system's reason
// ("Permission denied", "No such file or directory"). Callers turn it into their own words.
class PortError : public std::runtime_error {
  public:
    explicit PortError(const std::string& reason)
        : std::runtime_error(reason), fault_(portFaultFromReason(reason)) {}
    PortError(const std::string& reason, PortFault fault)
        : std::runtime_error(reason), fault_(fault) {}
    PortFault fault() const { return fault_; }

  private:
    PortFault fault_;
};

// Fixed line settings of every port: 115200 baud, 8 data bits, no parity, 1 stop bit,
// no flow control, DTR and RTS off right after opening (RTS is the module's reset line and is
// then driven only by setRts).
inline constexpr int kLinkBaudRate = 115200;

// Bytes the port keeps received and not yet read: the link window's port and the others.
inline constexpr std::size_t kLinkReadBufferSize = 10240;
inline constexpr std::size_t kMonitorReadBufferSize = 1024;

// What the port layer noticed on the line since it was last asked.
struct PortLineEvents {
    // The bytes received and not yet read reached 80 % of the receive buffer.
    bool receiveBuffer80Full = false;
    // A break condition: the line was held at the space level for longer than a character.
    bool breakReceived = false;
};

// One serial port. A port is used from one thread at a time, except that waitReadable may run
// on a reader thread while another thread writes (implementations allow that pair).
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the port by its system name with the fixed line settings. Throws PortError.
    virtual void open(const std::string& name) = 0;
    // Closes the port; never fails (a failing close is ignored). Safe when not open.
    virtual void close() noexcept = 0;
    virtual bool isOpen() const = 0;
    virtual std::string name() const = 0;

    // Throws PortError.
    virtual void setBaudRate(int baud) = 0;
    // Discards received bytes not yet read and/or bytes not yet sent. Throws PortError.
    virtual void purge(bool receive, bool transmit) = 0;
    // Drives the RTS modem line (the module's reset input). Throws PortError.
    virtual void setRts(bool on) = 0;
    // Hands the bytes to the port; returns the count accepted. Throws PortError.
    virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    // Copies up to out.size() bytes already received into out and returns their count;
    // never waits. Throws PortError.
    virtual std::size_t readAvailable(std::span<std::uint8_t> out) = 0;
    // Blocks until at least one byte can be read or the time-out passes (measured on the
    // clock the port was built with). Returns true when a byte is waiting. Throws PortError.
    virtual bool waitReadable(Clock::Duration timeout) = 0;

    // Bounds the bytes the port keeps received and not yet read. Beyond it they wait in the
    // operating system, whose own buffer then holds back or drops what comes. A port that keeps
    // no buffer of its own ignores it.
    virtual void setReadBufferSize(std::size_t bytes) { (void)bytes; }
    // The line events since the last call (each reported once). A port that cannot tell
    // reports none. Never throws.
    virtual PortLineEvents takeLineEvents() noexcept { return {}; }

    // Conveniences over the above.
    std::size_t write(const std::string& bytes) {
        return write(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    std::size_t writeByte(std::uint8_t b) { return write(std::span<const std::uint8_t>(&b, 1)); }
};

} // namespace qv
