#pragma once
// SerialPort over the Win32 communications API: the port "COMn" is opened as \\.\COMn for
// overlapped I/O, set to 115200 8N1 without flow control, DTR and RTS off, reads that return at
// once with what has arrived and writes that end after 100 ms a byte plus 1000 ms. A wait for
// readable bytes is an overlapped read of one byte that ends at the first byte or at the
// deadline; the byte is kept for the next readAvailable.
//
// Failures throw PortError with the reason in the words Linux uses for the same condition
// ("No such file or directory" for a missing port, "Permission denied" for one in use), so the
// link log reads alike on both systems.
//
// waitReadable may run on one thread while another writes: every operation has its own
// overlapped structure and event.
#include "link/serial_port.hpp"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// Line conditions the driver reported since they were last taken: a break on the line, the
// receive buffer 80 % full, received bytes lost (the buffer or the UART overran). They come
// from ClearCommError (CE_BREAK, CE_RXOVER, CE_OVERRUN, and COMSTAT's cbInQue against the
// buffer size), which every read and wait calls.
struct LineEvents {
    bool breakReceived = false;
    bool receiveBuffer80Full = false;
    bool receiveOverrun = false;
    bool any() const { return breakReceived || receiveBuffer80Full || receiveOverrun; }
};

class WinSerialPort final : public SerialPort {
  public:
    // Both driver buffers; the receive buffer counts as 80 % full from 8192 waiting bytes.
    static constexpr unsigned long kBufferSize = 10240;

    WinSerialPort() = default;
    ~WinSerialPort() override;
    WinSerialPort(const WinSerialPort&) = delete;
    WinSerialPort& operator=(const WinSerialPort&) = delete;

    void open(const std::string& name) override;
    void close() noexcept override;
    bool isOpen() const override;
    std::string name() const override { return name_; }
    void setBaudRate(int baud) override;
    void purge(bool receive, bool transmit) override;
    void setRts(bool on) override;
    using SerialPort::write;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    std::size_t readAvailable(std::span<std::uint8_t> out) override;
    bool waitReadable(Clock::Duration timeout) override;

    // The line conditions seen since the last call (and clears them).
    // Every line event seen since the last call, the receive overrun included.
    LineEvents takeAllLineEvents() noexcept;
    PortLineEvents takeLineEvents() noexcept override {
        const LineEvents e = takeAllLineEvents();
        return {e.receiveBuffer80Full, e.breakReceived};
    }

  private:
    void requireOpen() const;
    [[noreturn]] void fail(unsigned long error) const;
    // Bytes waiting in the driver's receive buffer; collects the line errors on the way.
    unsigned long queued();

    void* handle_ = nullptr; // HANDLE; nullptr when closed
    void* readEvent_ = nullptr;
    void* writeEvent_ = nullptr;
    void* waitEvent_ = nullptr;
    std::string name_;
    std::atomic<unsigned> lineEvents_{0};
    // The byte a wait read ahead; readAvailable hands it out first.
    std::uint8_t lookahead_ = 0;
    bool lookaheadFull_ = false;
    unsigned long readTimeout_ = 0; // the read time-out last set, in ms
};

// The device path CreateFileW opens for a port name, as UTF-16: "COM7" becomes \\.\COM7 (the
// only form that reaches COM10 and above); a name that already starts with \\ is kept.
std::wstring winDevicePath(const std::string& portName);

// The reason for a Win32 error code, in the words Linux gives for the same condition.
std::string winPortErrorText(unsigned long error);

// The kind of failure a Win32 error code is: access denied is a port another program holds.
PortFault winPortFault(unsigned long error);

// Port names sorted as text, each once.
std::vector<std::string> sortedPortNames(std::vector<std::string> names);

// The ports of the system's serial-port map (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM), sorted.
std::vector<std::string> listWinPortNames();

} // namespace qv
