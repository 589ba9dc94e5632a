#pragma once
// A GSM modem on a serial port, spoken to with the AT commands of 3GPP TS 27.007 and 27.005 in
// PDU mode: prepare it (SIM, PIN, network, signal, new-message indications), submit one
// SMS-SUBMIT at a time, and take what it reports meanwhile: delivery reports (+CDS, or +CDSI
// and AT+CMGR) and incoming messages (+CMTI and AT+CMGR, or +CMT).
//
// A plain synchronous object over a SerialPort, a Clock and a ModemObserver, used from one
// thread: every wait blocks on the port with a deadline, and every answer has a time-out. The
// GUI runs it on a worker thread, the command line directly. A port error ends the session:
// every later call reports the port lost. Incoming messages are read but never deleted, and
// they stay on the SIM (new-message indications store them: nothing the user receives on
// that SIM meanwhile is lost).
#include "common/clock.hpp"
#include "link/serial_port.hpp"
#include "sms/sms_pdu.hpp"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qv {

struct ModemStatus {
    enum class Registration { unknown, home, roaming, searching, denied, notRegistered };
    Registration registration = Registration::unknown;
    int signal = 99; // +CSQ <rssi>: 0..31, 99 not known
    // "sieć macierzysta, sygnał 20/31 (-73 dBm)".
    std::string text() const;
};

class ModemObserver {
  public:
    virtual ~ModemObserver() = default;
    // Every line to and from the modem, for a log; a PIN is shown as "****".
    virtual void modemLine(const std::string& /*line*/, bool /*fromProgram*/) {}
    // A step or a warning for the user, in Polish.
    virtual void note(const std::string& /*text*/) {}
    virtual void modemStatus(const ModemStatus&) {}
    // The SIM asks for its PIN and none was given: the PIN to try once, or nothing to stop.
    virtual std::optional<std::string> pinWanted() { return std::nullopt; }
    virtual void statusReport(const StatusReport&) {}
    virtual void smsReceived(const DeliveredSms&) {}
    // Another program uses the port (it sends commands of its own, or holds the port): what
    // showed it. Reported at most once a session.
    virtual void portShared(const std::string& /*evidence*/) {}
};

// How a preparation ended: ok, or the reason in Polish.
struct ModemResult {
    bool ok = false;
    std::string message;
};

struct SubmitOutcome {
    enum class Kind {
        accepted, // the network took it: reference is its TP-MR
        refused,  // the modem or the network refused it (+CMS ERROR or ERROR): not sent
        notSent,  // it never left the program (no prompt, or the port was already lost)
        unknown,  // the modem took the text but said nothing more: it may have gone out
    };
    Kind kind = Kind::notSent;
    std::uint8_t reference = 0;
    std::optional<int> cmsError;
    std::string message; // Polish, for every kind but accepted
};

class ModemSession {
  public:
    struct Timeouts {
        Clock::Duration command = std::chrono::seconds(5);
        Clock::Duration prompt = std::chrono::seconds(5);
        // The network's answer to a message can take long on a busy cell.
        Clock::Duration submit = std::chrono::seconds(60);
        // How long a modem searching for its network is given.
        Clock::Duration registration = std::chrono::seconds(30);
    };

    ModemSession(SerialPort& port, Clock& clock, ModemObserver& observer, Timeouts t);
    ModemSession(SerialPort& port, Clock& clock, ModemObserver& observer)
        : ModemSession(port, clock, observer, Timeouts{}) {}
    ~ModemSession();
    ModemSession(const ModemSession&) = delete;
    ModemSession& operator=(const ModemSession&) = delete;

    // Opens the port and prepares the modem. pin is tried when the SIM asks for one (else the
    // observer is asked); a PIN is tried at most once a session, whatever the SIM answers.
    ModemResult open(const std::string& portName, const std::optional<std::string>& pin);
    // Sends one message: AT+CMGS, the prompt, the PDU and Ctrl-Z, the network's answer.
    SubmitOutcome submit(const SubmitPdu& pdu);
    // Takes the modem's reports for span, or until done() returns true.
    void listen(Clock::Duration span, const std::function<bool()>& done = {});
    void close() noexcept;

    bool portLost() const { return portLost_; }
    const ModemStatus& status() const { return status_; }
    // True once delivery reports were switched on (AT+CNMI accepted).
    bool reportsOn() const { return reportsOn_; }

  private:
    struct Reply {
        enum class Final { ok, error, cmsError, cmeError, timeout };
        Final final = Final::timeout;
        int code = 0;
        std::vector<std::string> lines;
    };
    struct Pending { // the PDU line an unsolicited header announced
        enum class Kind { none, report, deliver } kind = Kind::none;
        std::optional<int> length;
    };

    Reply command(const std::string& text, Clock::Duration timeout, bool secret = false);
    std::optional<std::string> nextLine(Clock::TimePoint deadline, bool wantPrompt = false);
    bool fill(Clock::TimePoint deadline);
    void send(const std::string& bytes);
    // Handles a line nobody asked for; false when it is not one.
    bool unsolicited(const std::string& line, bool commandInFlight);
    void takePdu(Pending::Kind kind, const std::string& hex, std::optional<int> length);
    void readStored();
    void shared(const std::string& evidence);
    void lost(const PortError& e);

    ModemResult prepareSim(const std::optional<std::string>& pin);
    std::optional<int> pinTriesLeft(); // nothing when the modem does not say
    ModemResult awaitRegistration();
    void readSignal();
    void enableReports();

    SerialPort& port_;
    Clock& clock_;
    ModemObserver& observer_;
    Timeouts timeouts_;
    std::string name_;
    std::string rx_;
    std::string lastCommand_;
    std::string lastPdu_;
    Pending pending_;
    std::deque<int> stored_; // memory indices of messages and reports to read
    ModemStatus status_;
    bool open_ = false;
    bool portLost_ = false;
    bool sharedReported_ = false;
    bool pinTried_ = false;
    bool reportsOn_ = false;
    bool readingStored_ = false;
};

} // namespace qv
