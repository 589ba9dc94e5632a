#pragma once
// A simulated GSM modem behind a SerialPort, for the port name "sim-modem[:options]": it speaks
// the AT commands a modem session uses (in PDU mode), takes SMS-SUBMITs, and plays the network
// and the module at the other end: each message is delivered to a simulated module, which
// applies a configuration command whose check letter is right (into the simulated module's
// state file, the one "sim:state=" names) and ignores any other text; a delivery report comes
// back when one was asked for. Options, comma-separated:
//   deliver=PATH    the simulated module's state file (created when missing)
//   pin=CODE        the SIM asks for this PIN (three wrong tries lock it: PUK)
//   pintries=N      the SIM has N tries of its PIN left (1 to 3; default 3)
//   nocpinr         the modem does not tell the tries left (no AT+CPINR)
//   nosim           no SIM in the modem
//   puk             the SIM is locked and asks for its PUK
//   nonetwork       the modem never finds a network (no signal)
//   roamingdenied   the network refuses the SIM (registration denied)
//   roaming         the modem is registered in roaming
//   cmserror=N      message N (from 1) is refused with +CMS ERROR (code: cmscode=C, 500)
//   noreports       the network sends no delivery reports
//   storedreports   the modem only stores delivery reports and indicates them (+CDSI)
//   slow            a slow network: registration takes 10 s, each answer 8 s, delivery 40 s
//   vanish=N        the modem disappears once it has taken message N (which still goes out)
//   reply           the module answers each command it applied with an SMS "OK"
//   probe           another program (ModemManager) probes the port as it is opened
//   busy            another program holds the port: it cannot be opened
//   realtime        the real clock (default: the virtual clock)
//
// On a VirtualClock a wait moves time on to the modem's next answer (or the deadline), so a
// 60-second time-out costs nothing.
#include "common/clock.hpp"
#include "link/serial_port.hpp"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct SimModemOptions {
    std::string deliverPath;
    std::string pin;
    int pinTries = 3;
    bool noCpinr = false;
    bool noSim = false;
    bool puk = false;
    bool noNetwork = false;
    bool roamingDenied = false;
    bool roaming = false;
    int cmsErrorAt = 0;
    int cmsErrorCode = 500;
    bool noReports = false;
    bool storedReports = false;
    bool slow = false;
    int vanishAt = 0;
    bool reply = false;
    bool probe = false;
    bool busy = false;
    bool realtime = false;
};

// True for "sim-modem" and "sim-modem:...".
bool isSimModemPortName(std::string_view portName);
// Nothing, with the reason in error, for an unknown or malformed option.
std::optional<SimModemOptions> parseSimModemPortName(std::string_view portName, std::string& error);

// The module's side of a configuration SMS: applies the command to the image when it is one
// (right check letter, letters in range, whole bytes); false for any other text.
bool applySmsConfigCommand(std::string_view text, std::uint8_t* image, std::size_t size);

class SimModemPort final : public SerialPort {
  public:
    // A virtual clock of its own, or the system clock with realtime.
    explicit SimModemPort(SimModemOptions options);
    ~SimModemPort() override;

    Clock& clock() { return *clock_; }

    void open(const std::string& name) override;
    void close() noexcept override;
    bool isOpen() const override;
    std::string name() const override;
    void setBaudRate(int baud) override;
    void purge(bool receive, bool transmit) override;
    void setRts(bool on) override;
    using SerialPort::write;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    std::size_t readAvailable(std::span<std::uint8_t> out) override;
    bool waitReadable(Clock::Duration timeout) override;

    // For tests: the texts of the messages the modem took, in order; the PIN tries the SIM saw;
    // the modem plugged in again after vanishing (the options' vanish no longer applies).
    std::vector<std::string> submittedTexts() const;
    int pinTries() const;
    void plugInAgain();

  private:
    void advance(Clock::TimePoint now); // with mutex_ held
    void flushNetwork();                // every event now, the modem gone
    void say(Clock::Duration after, std::string text);
    void at(Clock::Duration after, std::function<void()> action);
    void command(const std::string& line);
    void submit(const std::string& hex);
    void deliver(const std::string& number, const std::string& text, bool report,
                 std::uint8_t reference, const LocalDateTime& accepted);
    int registration() const;
    bool simReady() const;
    int store(std::string pdu);

    SimModemOptions options_;
    std::unique_ptr<Clock> clock_;
    VirtualClock* virtual_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    bool vanished_ = false;
    std::string name_;
    std::string input_;
    std::string ready_; // bytes the program can read now
    std::multimap<Clock::TimePoint, std::function<void()>> events_;
    Clock::TimePoint now_{}; // the time events are processed at
    Clock::TimePoint poweredAt_{};
    // Modem state.
    bool echo_ = true;
    bool pinOk_ = false;
    int pinTriesLeft_ = 3;
    int pinTries_ = 0;
    int mt_ = 0; // +CNMI indications: new messages
    int ds_ = 0; // and delivery reports
    bool awaitingPdu_ = false;
    int pduLength_ = 0;
    int taken_ = 0; // messages taken (AT+CMGS with a PDU)
    std::uint8_t reference_ = 0;
    std::map<int, std::string> stored_; // index: "+CMGR: ..." header stat and PDU
    int nextIndex_ = 1;
    std::vector<std::string> submitted_;
};

} // namespace qv
