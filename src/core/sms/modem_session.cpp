#include "sms/modem_session.hpp"

#include <algorithm>
#include <charconv>
#include <utility>

namespace qv {

namespace {

using namespace std::chrono_literals;

// A line without an end (a modem gone mad, or another program's data) is dropped past this.
constexpr std::size_t kMaxPendingBytes = 64 * 1024;
constexpr auto kSimBusyPause = 2s;
constexpr auto kRegistrationPoll = 2s;
constexpr int kSimAttempts = 6;
constexpr char kCtrlZ = '\x1A';
constexpr char kEscape = '\x1B';

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::optional<int> number(std::string_view s) {
    s = trimmed(s);
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// The comma-separated fields after "+XXX:".
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> out;
    const auto colon = line.find(':');
    std::string_view rest = colon == std::string_view::npos ? line : line.substr(colon + 1);
    for (;;) {
        const auto comma = rest.find(',');
        out.push_back(trimmed(rest.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return out;
}

bool looksBusy(std::string_view why) {
    for (std::string_view word : {"busy", "Busy", "locked", "Locked", "in use", "Access is denied"})
        if (why.find(word) != std::string_view::npos) return true;
    return false;
}

// Lines a modem sends on its own that need nothing from the program.
bool knownUnsolicited(std::string_view line) {
    for (std::string_view prefix :
         {"RING", "+CRING", "NO CARRIER", "+CIEV", "+CUSD", "^", "RDY", "Call Ready", "SMS Ready",
          "+CFUN", "+QIND", "+STIN", "+CGEV", "+CEREG", "+CGREG", "+PBREADY"})
        if (line.starts_with(prefix)) return true;
    return false;
}

} // namespace

std::string ModemStatus::text() const {
    std::string out;
    switch (registration) {
    case Registration::home:
        out = "sieć macierzysta";
        break;
    case Registration::roaming:
        out = "roaming";
        break;
    case Registration::searching:
        out = "szukanie sieci";
        break;
    case Registration::denied:
        out = "rejestracja odrzucona";
        break;
    case Registration::notRegistered:
        out = "brak rejestracji w sieci";
        break;
    case Registration::unknown:
        out = "stan sieci nieznany";
        break;
    }
    if (signal >= 0 && signal <= 31)
        out += ", sygnał " + std::to_string(signal) + "/31 (" + std::to_string(-113 + 2 * signal) +
               " dBm)";
    else
        out += ", sygnał nieznany";
    return out;
}

ModemSession::ModemSession(SerialPort& port, Clock& clock, ModemObserver& observer, Timeouts t)
    : port_(port), clock_(clock), observer_(observer), timeouts_(t) {}

ModemSession::~ModemSession() {
    close();
}

void ModemSession::close() noexcept {
    if (open_) port_.close();
    open_ = false;
}

void ModemSession::lost(const PortError& e) {
    if (!portLost_)
        observer_.note("Port modemu " + name_ + " przestał działać (" + std::string(e.what()) +
                       ")");
    portLost_ = true;
    close();
}

void ModemSession::shared(const std::string& evidence) {
    if (sharedReported_) return;
    sharedReported_ = true;
    observer_.portShared(evidence);
}

void ModemSession::send(const std::string& bytes) {
    port_.write(bytes);
}

bool ModemSession::fill(Clock::TimePoint deadline) {
    const auto now = clock_.now();
    if (now >= deadline) return false;
    if (!port_.waitReadable(deadline - now)) return clock_.now() < deadline;
    std::uint8_t buf[512];
    const std::size_t n = port_.readAvailable(buf);
    if (rx_.size() + n > kMaxPendingBytes) rx_.clear();
    rx_.append(reinterpret_cast<const char*>(buf), n);
    return true;
}

std::optional<std::string> ModemSession::nextLine(Clock::TimePoint deadline, bool wantPrompt) {
    for (;;) {
        const auto start = rx_.find_first_not_of("\r\n");
        rx_.erase(0, start == std::string::npos ? rx_.size() : start);
        if (wantPrompt && rx_.starts_with('>')) {
            rx_.erase(0, rx_.starts_with("> ") ? 2 : 1);
            return ">";
        }
        const auto eol = rx_.find_first_of("\r\n");
        if (eol != std::string::npos) {
            std::string line(trimmed(std::string_view(rx_).substr(0, eol)));
            rx_.erase(0, eol);
            if (!line.empty()) return line;
            continue;
        }
        if (!fill(deadline)) return std::nullopt;
    }
}

bool ModemSession::unsolicited(const std::string& line, bool commandInFlight) {
    if (line.starts_with("+CDS:")) {
        pending_ = {Pending::Kind::report, number(fieldsOf(line).back())};
        return true;
    }
    if (line.starts_with("+CMT:")) {
        pending_ = {Pending::Kind::deliver, number(fieldsOf(line).back())};
        return true;
    }
    if (line.starts_with("+CMTI:") || line.starts_with("+CDSI:")) {
        if (const auto index = number(fieldsOf(line).back())) stored_.push_back(*index);
        return true;
    }
    if (line.starts_with("+CREG:") && lastCommand_ != "AT+CREG?") return true;
    if (line.starts_with("+CPIN:") && lastCommand_ != "AT+CPIN?") return true;
    // Another program's commands echoed, or answers to them.
    if ((line.starts_with("AT") || line.starts_with("at")) && line != lastCommand_) {
        shared("polecenie innego programu: " + line);
        return true;
    }
    if (line.starts_with("+GCAP") && lastCommand_ != "AT+GCAP") {
        shared("odpowiedź na polecenie innego programu: " + line);
        return true;
    }
    if (!commandInFlight && (line == "OK" || line == "ERROR")) {
        shared("odpowiedź " + line + " na polecenie, którego program nie wysłał");
        return true;
    }
    return !commandInFlight || knownUnsolicited(line);
}

void ModemSession::takePdu(Pending::Kind kind, const std::string& hex, std::optional<int> length) {
    const auto tpdu = tpduOctets(hex, length);
    const int type = tpdu ? messageTypeOf(*tpdu) : -1;
    if (kind == Pending::Kind::report || type == 2) {
        if (const auto report = tpdu ? decodeStatusReport(*tpdu) : std::nullopt) {
            observer_.statusReport(*report);
            return;
        }
    } else if (const auto sms = tpdu ? decodeDeliver(*tpdu) : std::nullopt) {
        observer_.smsReceived(*sms);
        return;
    }
    observer_.note("Nieczytelna wiadomość od modemu: " + hex.substr(0, 80));
}

ModemSession::Reply ModemSession::command(const std::string& text, Clock::Duration timeout,
                                          bool secret) {
    lastCommand_ = text;
    observer_.modemLine(secret ? text.substr(0, text.find('=') + 1) + "\"****\"" : text, true);
    send(text + "\r");
    const auto deadline = clock_.now() + timeout;
    Reply r;
    while (const auto line = nextLine(deadline)) {
        const bool echo = *line == text;
        observer_.modemLine(echo && secret ? "(echo)" : *line, false);
        if (echo) continue;
        if (pending_.kind != Pending::Kind::none) {
            const Pending p = std::exchange(pending_, Pending{});
            takePdu(p.kind, *line, p.length);
            continue;
        }
        if (*line == "OK") {
            r.final = Reply::Final::ok;
            break;
        }
        if (*line == "ERROR") {
            r.final = Reply::Final::error;
            break;
        }
        if (line->starts_with("+CMS ERROR:") || line->starts_with("+CME ERROR:")) {
            r.final = line->starts_with("+CMS") ? Reply::Final::cmsError : Reply::Final::cmeError;
            r.code = number(line->substr(11)).value_or(-1);
            r.lines.push_back(*line);
            break;
        }
        if (unsolicited(*line, true)) continue;
        r.lines.push_back(*line);
    }
    lastCommand_.clear();
    if (r.final != Reply::Final::timeout) readStored();
    return r;
}

void ModemSession::readStored() {
    if (readingStored_) return;
    readingStored_ = true;
    while (!stored_.empty()) {
        const int index = stored_.front();
        stored_.pop_front();
        const Reply r = command("AT+CMGR=" + std::to_string(index), timeouts_.command);
        if (r.final != Reply::Final::ok) continue;
        for (std::size_t k = 0; k + 1 < r.lines.size(); ++k)
            if (r.lines[k].starts_with("+CMGR:")) {
                const auto length = number(fieldsOf(r.lines[k]).back());
                const auto tpdu = tpduOctets(r.lines[k + 1], length);
                takePdu(tpdu && messageTypeOf(*tpdu) == 2 ? Pending::Kind::report
                                                          : Pending::Kind::deliver,
                        r.lines[k + 1], length);
                break;
            }
    }
    readingStored_ = false;
}

void ModemSession::listen(Clock::Duration span, const std::function<bool()>& done) {
    if (!open_ || portLost_) return;
    const auto deadline = clock_.now() + span;
    try {
        readStored();
        while (!(done && done())) {
            const auto line = nextLine(deadline);
            if (!line) break;
            observer_.modemLine(*line, false);
            if (pending_.kind != Pending::Kind::none) {
                const Pending p = std::exchange(pending_, Pending{});
                takePdu(p.kind, *line, p.length);
            } else {
                unsolicited(*line, false);
            }
            readStored();
        }
    } catch (const PortError& e) {
        lost(e);
    }
}

ModemResult ModemSession::open(const std::string& portName, const std::optional<std::string>& pin) {
    name_ = portName;
    portLost_ = false;
    pinTried_ = false;
    sharedReported_ = false;
    rx_.clear();
    try {
        port_.open(portName);
    } catch (const PortError& e) {
        if (looksBusy(e.what())) shared("port zajęty: " + std::string(e.what()));
        return {false, "Nie można otworzyć portu modemu " + portName + " (" + e.what() + ")"};
    }
    open_ = true;
    try {
        port_.purge(true, true);
        // A modem left waiting for a message's text (a program stopped at the prompt) drops
        // it on Escape and takes commands again.
        send(std::string(1, kEscape));
        bool answered = false;
        for (int attempt = 0; attempt < 3 && !answered; ++attempt)
            answered = command("AT", timeouts_.command).final == Reply::Final::ok;
        if (!answered)
            return {false, "Modem nie odpowiada na porcie " + portName +
                               " (polecenie AT): sprawdź port, zasilanie modemu i czy inny "
                               "program nie zajmuje portu"};
        command("ATE0", timeouts_.command);
        command("AT+CMEE=1", timeouts_.command);
        if (auto sim = prepareSim(pin); !sim.ok) return sim;
        if (command("AT+CMGF=0", timeouts_.command).final != Reply::Final::ok)
            return {false, "Modem nie przyjął trybu PDU (AT+CMGF=0)"};
        if (auto reg = awaitRegistration(); !reg.ok) return reg;
        readSignal();
        enableReports();
        return {true, {}};
    } catch (const PortError& e) {
        lost(e);
        return {false, "Błąd portu modemu " + portName + " (" + e.what() + ")"};
    }
}

ModemResult ModemSession::prepareSim(const std::optional<std::string>& pin) {
    for (int attempt = 0; attempt < kSimAttempts; ++attempt) {
        const Reply r = command("AT+CPIN?", timeouts_.command);
        if (r.final == Reply::Final::cmeError && (r.code == 10 || r.code == 310))
            return {false, "Brak karty SIM w modemie"};
        if (r.final == Reply::Final::cmeError && (r.code == 13 || r.code == 15))
            return {false, "Karta SIM w modemie jest uszkodzona lub nieczytelna"};
        if (r.final == Reply::Final::cmeError && r.code == 14) { // busy: still starting
            clock_.sleepFor(kSimBusyPause);
            continue;
        }
        std::string state;
        for (const auto& l : r.lines)
            if (l.starts_with("+CPIN:")) state = std::string(trimmed(l.substr(6)));
        if (r.final != Reply::Final::ok || state.empty())
            return {false, "Modem nie podaje stanu karty SIM (AT+CPIN?)"};
        if (state == "READY" || state == "SIM PIN2" || state == "SIM PUK2") {
            observer_.note("Karta SIM gotowa");
            return {true, {}};
        }
        if (state == "SIM PUK")
            return {false, "Karta SIM jest zablokowana i wymaga kodu PUK: odblokuj ją w telefonie"};
        if (state != "SIM PIN")
            return {false, "Modem wymaga kodu " + state + ": odblokuj go w telefonie"};
        if (pinTried_)
            return {false, "Karta SIM nadal wymaga kodu PIN; program nie próbuje drugi raz"};
        // The tries left (AT+CPINR, where the modem knows it): the last one is never the
        // program's to spend, since a wrong PIN there blocks the SIM.
        const std::optional<int> left = pinTriesLeft();
        if (left) observer_.note("Karta SIM: pozostałe próby kodu PIN: " + std::to_string(*left));
        if (left && *left <= 1)
            return {false, "Karcie SIM została ostatnia próba kodu PIN: program jej nie zużywa. "
                           "Wpisz PIN w telefonie z tą kartą (albo wyłącz w nim kod PIN) i "
                           "spróbuj ponownie"};
        const std::optional<std::string> code = pin ? pin : observer_.pinWanted();
        if (!code) return {false, "Karta SIM w modemie wymaga kodu PIN"};
        const bool digits =
            code->size() >= 4 && code->size() <= 8 &&
            std::all_of(code->begin(), code->end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) return {false, "Kod PIN to od 4 do 8 cyfr: nie wysłano go do karty SIM"};
        pinTried_ = true;
        if (command("AT+CPIN=\"" + *code + "\"", timeouts_.command, true).final != Reply::Final::ok)
            return {false, "Karta SIM odrzuciła kod PIN. Program nie próbuje drugi raz: po "
                           "trzech błędnych kodach karta wymaga kodu PUK"};
        observer_.note("Karta SIM przyjęła kod PIN");
        clock_.sleepFor(1s); // the SIM reads its files before it reports ready
    }
    return {false, "Karta SIM nie jest gotowa"};
}

std::optional<int> ModemSession::pinTriesLeft() {
    const Reply r = command("AT+CPINR=\"SIM PIN\"", timeouts_.command);
    if (r.final != Reply::Final::ok) return std::nullopt; // a modem without the command
    for (const auto& l : r.lines) {
        if (!l.starts_with("+CPINR:")) continue;
        const auto f = fieldsOf(l);
        if (f.size() >= 2 && (f[0] == "SIM PIN" || f[0] == "\"SIM PIN\""))
            if (const auto n = number(f[1]); n && *n >= 0) return n;
    }
    return std::nullopt;
}

ModemResult ModemSession::awaitRegistration() {
    const auto deadline = clock_.now() + timeouts_.registration;
    for (;;) {
        const Reply r = command("AT+CREG?", timeouts_.command);
        std::optional<int> stat;
        for (const auto& l : r.lines)
            if (l.starts_with("+CREG:")) {
                const auto f = fieldsOf(l);
                stat = number(f.size() >= 2 ? f[1] : f[0]);
            }
        if (r.final != Reply::Final::ok || !stat)
            return {false, "Modem nie podaje stanu sieci (AT+CREG?)"};
        using R = ModemStatus::Registration;
        status_.registration = *stat == 1   ? R::home
                               : *stat == 5 ? R::roaming
                               : *stat == 3 ? R::denied
                               : *stat == 0 ? R::notRegistered
                                            : R::searching;
        observer_.modemStatus(status_);
        if (*stat == 1) return {true, {}};
        if (*stat == 5) {
            observer_.note("Modem pracuje w roamingu");
            return {true, {}};
        }
        if (*stat == 3)
            return {false, "Sieć odmówiła rejestracji karty SIM (rejestracja zabroniona, np. "
                           "roaming niedozwolony)"};
        if (clock_.now() >= deadline)
            return {false,
                    *stat == 0
                        ? "Modem nie jest zalogowany do sieci i jej nie szuka (sprawdź kartę SIM "
                          "i antenę)"
                        : "Modem nie znalazł sieci (brak zasięgu?)"};
        listen(kRegistrationPoll);
        if (portLost_) throw PortError("port lost");
    }
}

void ModemSession::readSignal() {
    const Reply r = command("AT+CSQ", timeouts_.command);
    for (const auto& l : r.lines)
        if (l.starts_with("+CSQ:")) status_.signal = number(fieldsOf(l)[0]).value_or(99);
    observer_.modemStatus(status_);
    observer_.note("Modem: " + status_.text());
    if (status_.signal == 99 || status_.signal < 5)
        observer_.note("Bardzo słaby sygnał lub brak zasięgu: wiadomości mogą nie wyjść");
}

void ModemSession::enableReports() {
    // Incoming messages stored on the SIM and indicated (+CMTI); delivery reports straight to
    // the port (+CDS), or, where the modem cannot, stored and indicated (+CDSI).
    for (const char* cnmi : {"AT+CNMI=2,1,0,1,0", "AT+CNMI=2,1,0,2,0"})
        if (command(cnmi, timeouts_.command).final == Reply::Final::ok) {
            reportsOn_ = true;
            return;
        }
    observer_.note("Modem nie przyjął AT+CNMI: raporty doręczenia nie przyjdą");
}

SubmitOutcome ModemSession::submit(const SubmitPdu& pdu) {
    SubmitOutcome out;
    if (!open_ || portLost_) {
        out.message = "Port modemu nie jest otwarty";
        return out;
    }
    bool textSent = false;
    const std::string cmd = "AT+CMGS=" + std::to_string(pdu.tpduLength);
    auto refused = [&](const Reply& r) {
        out.kind = SubmitOutcome::Kind::refused;
        if (r.final == Reply::Final::cmsError) {
            out.cmsError = r.code;
            out.message = cmsErrorText(r.code);
        } else {
            out.message = "Modem odrzucił wiadomość (ERROR)";
        }
    };
    try {
        readStored();
        lastCommand_ = cmd;
        observer_.modemLine(cmd, true);
        send(cmd + "\r");
        const auto promptDeadline = clock_.now() + timeouts_.prompt;
        bool prompt = false;
        while (const auto line = nextLine(promptDeadline, true)) {
            if (*line == ">") {
                prompt = true;
                break;
            }
            observer_.modemLine(*line, false);
            if (*line == cmd) continue;
            if (pending_.kind != Pending::Kind::none) {
                const Pending p = std::exchange(pending_, Pending{});
                takePdu(p.kind, *line, p.length);
                continue;
            }
            Reply r;
            if (*line == "ERROR") r.final = Reply::Final::error;
            if (line->starts_with("+CMS ERROR:")) {
                r.final = Reply::Final::cmsError;
                r.code = number(line->substr(11)).value_or(-1);
            }
            if (r.final != Reply::Final::timeout) {
                refused(r);
                lastCommand_.clear();
                return out;
            }
            unsolicited(*line, true);
        }
        if (!prompt) {
            send(std::string(1, kEscape));
            lastCommand_.clear();
            out.message = "Modem nie poprosił o treść wiadomości (brak znaku „>”)";
            return out;
        }
        observer_.modemLine(pdu.hex + "<Ctrl-Z>", true);
        lastPdu_ = pdu.hex;
        // From here on the message may leave, even when the write fails half-way.
        textSent = true;
        send(pdu.hex + kCtrlZ);
        const auto deadline = clock_.now() + timeouts_.submit;
        std::optional<int> reference;
        while (const auto line = nextLine(deadline)) {
            observer_.modemLine(*line, false);
            if (*line == cmd || line->find(lastPdu_) != std::string::npos) continue; // echo
            if (pending_.kind != Pending::Kind::none) {
                const Pending p = std::exchange(pending_, Pending{});
                takePdu(p.kind, *line, p.length);
                continue;
            }
            if (line->starts_with("+CMGS:")) {
                reference = number(fieldsOf(*line)[0]);
                continue;
            }
            Reply r;
            if (*line == "OK") {
                lastCommand_.clear();
                out.kind = SubmitOutcome::Kind::accepted;
                out.reference = static_cast<std::uint8_t>(reference.value_or(0) & 0xFF);
                readStored();
                return out;
            }
            if (*line == "ERROR") r.final = Reply::Final::error;
            if (line->starts_with("+CMS ERROR:")) {
                r.final = Reply::Final::cmsError;
                r.code = number(line->substr(11)).value_or(-1);
            }
            if (r.final != Reply::Final::timeout) {
                refused(r);
                lastCommand_.clear();
                return out;
            }
            unsolicited(*line, true);
        }
        lastCommand_.clear();
        out.kind = SubmitOutcome::Kind::unknown;
        out.message = "Modem nie potwierdził wysłania: wiadomość mogła wyjść";
    } catch (const PortError& e) {
        lost(e);
        out.kind = textSent ? SubmitOutcome::Kind::unknown : SubmitOutcome::Kind::notSent;
        out.message = textSent ? "Port modemu przestał działać po przekazaniu wiadomości: "
                                 "mogła wyjść"
                               : "Port modemu przestał działać przed wysłaniem wiadomości";
    }
    return out;
}

} // namespace qv
