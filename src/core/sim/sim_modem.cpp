#include "sim/sim_modem.hpp"
#include "sim/sim_options.hpp"

#include "common/file_io.hpp"
#include "config/config_image.hpp"
#include "sim/sim_memory.hpp"
#include "sms/sms_pdu.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace qv {

namespace {

using namespace std::chrono_literals;

constexpr const char* kGone = "No such device";
constexpr std::size_t kMaxLine = 4096;
constexpr char kCtrlZ = '\x1A';
constexpr char kEscape = '\x1B';

std::string hexOf(const std::vector<std::uint8_t>& octets) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : octets) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

void appendAddress(std::vector<std::uint8_t>& out, const std::string& number) {
    const bool international = number.starts_with('+');
    const std::string digits = international ? number.substr(1) : number;
    out.push_back(static_cast<std::uint8_t>(digits.size()));
    out.push_back(international ? 0x91 : 0x81);
    for (std::size_t k = 0; k < digits.size(); k += 2) {
        const int lo = digits[k] - '0';
        const int hi = k + 1 < digits.size() ? digits[k + 1] - '0' : 15;
        out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
}

void appendTimestamp(std::vector<std::uint8_t>& out, const LocalDateTime& t) {
    for (int v : {t.year % 100, t.month, t.day, t.hour, t.minute, t.second, 0})
        out.push_back(static_cast<std::uint8_t>((v % 10) << 4 | v / 10));
}

// The modem's <pdu>: no service centre address ("00"), then the TPDU.
std::string modemPdu(const std::vector<std::uint8_t>& tpdu) {
    return "00" + hexOf(tpdu);
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

} // namespace

bool isSimModemPortName(std::string_view portName) {
    return portName == "sim-modem" || portName.starts_with("sim-modem:");
}

std::optional<SimModemOptions> parseSimModemPortName(std::string_view portName,
                                                     std::string& error) {
    if (!isSimModemPortName(portName)) {
        error = "not a simulated modem: " + std::string(portName);
        return std::nullopt;
    }
    SimModemOptions o;
    for (const SimOption& option :
         splitSimOptions(portName.size() > 9 ? portName.substr(10) : std::string_view{})) {
        const std::string_view opt = option.text;
        const std::string_view key = option.key;
        const std::string_view value = option.value;
        const bool hasValue = option.hasValue;
        auto number = [&](int& field) {
            const auto n = positiveNumber(value);
            if (n) field = *n;
            return n.has_value();
        };
        const bool digits =
            !value.empty() && value.size() <= 8 &&
            std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        bool ok = true;
        if (key == "deliver" && hasValue && !value.empty())
            o.deliverPath = value;
        else if (key == "pin" && digits && value.size() >= 4)
            o.pin = value;
        else if (key == "pintries" && hasValue)
            ok = number(o.pinTries) && o.pinTries <= 3;
        else if (key == "nocpinr" && !hasValue)
            o.noCpinr = true;
        else if (key == "nosim" && !hasValue)
            o.noSim = true;
        else if (key == "puk" && !hasValue)
            o.puk = true;
        else if (key == "nonetwork" && !hasValue)
            o.noNetwork = true;
        else if (key == "roamingdenied" && !hasValue)
            o.roamingDenied = true;
        else if (key == "roaming" && !hasValue)
            o.roaming = true;
        else if (key == "cmserror" && hasValue)
            ok = number(o.cmsErrorAt);
        else if (key == "cmscode" && hasValue)
            ok = number(o.cmsErrorCode);
        else if (key == "noreports" && !hasValue)
            o.noReports = true;
        else if (key == "storedreports" && !hasValue)
            o.storedReports = true;
        else if (key == "slow" && !hasValue)
            o.slow = true;
        else if (key == "vanish" && hasValue)
            ok = number(o.vanishAt);
        else if (key == "reply" && !hasValue)
            o.reply = true;
        else if (key == "probe" && !hasValue)
            o.probe = true;
        else if (key == "busy" && !hasValue)
            o.busy = true;
        else if (key == "realtime" && !hasValue)
            o.realtime = true;
        else
            ok = false;
        if (!ok) {
            error = "bad option of the simulated modem: " + std::string(opt);
            return std::nullopt;
        }
    }
    return o;
}

bool applySmsConfigCommand(std::string_view text, std::uint8_t* image, std::size_t size) {
    if (text.size() < 8 || text.size() % 2 != 0 || !text.starts_with("*P")) return false;
    std::uint8_t sum = 0;
    for (std::size_t k = 3; k < text.size(); ++k) {
        if (text[k] < 'A' || text[k] > 'Z') return false;
        sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(text[k]));
    }
    if (text[2] != static_cast<char>('A' + sum % 16)) return false;
    const std::size_t address =
        static_cast<std::size_t>((text[3] - 'A') * 676 + (text[4] - 'A') * 26 + (text[5] - 'A'));
    std::vector<std::uint8_t> bytes;
    for (std::size_t k = 6; k < text.size(); k += 2) {
        const int hi = text[k] - 'A';
        const int lo = text[k + 1] - 'A';
        if (hi > 15 || lo > 15) return false;
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    for (std::size_t k = 0; k < bytes.size(); ++k)
        if (address + k < size) image[address + k] = bytes[k];
    return true;
}

SimModemPort::SimModemPort(SimModemOptions options)
    : options_(std::move(options)), pinTriesLeft_(options_.pinTries) {
    if (options_.realtime) {
        clock_ = std::make_unique<SystemClock>();
    } else {
        auto clock = std::make_unique<VirtualClock>();
        virtual_ = clock.get();
        clock_ = std::move(clock);
    }
    poweredAt_ = clock_->now();
}

SimModemPort::~SimModemPort() {
    std::lock_guard lock(mutex_);
    vanished_ = true;
    flushNetwork();
}

void SimModemPort::flushNetwork() {
    // The network delivers what it took, whatever becomes of the modem or the program; nothing
    // more reaches the port.
    while (!events_.empty()) {
        auto node = events_.extract(events_.begin());
        now_ = node.key();
        node.mapped()();
    }
}

void SimModemPort::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (open_) throw PortError("port already open");
    if (vanished_) throw PortError("No such file or directory");
    if (options_.busy) throw PortError("Device or resource busy");
    open_ = true;
    name_ = name;
    input_.clear();
    ready_.clear();
    awaitingPdu_ = false;
    now_ = clock_->now();
    if (options_.probe) say(50ms, "\r\nAT+GCAP\r\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n");
}

void SimModemPort::close() noexcept {
    std::lock_guard lock(mutex_);
    open_ = false;
    changed_.notify_all();
}

bool SimModemPort::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

std::string SimModemPort::name() const {
    std::lock_guard lock(mutex_);
    return name_;
}

void SimModemPort::setBaudRate(int) {
    std::lock_guard lock(mutex_);
    if (vanished_) throw PortError(kGone);
}

void SimModemPort::purge(bool receive, bool) {
    std::lock_guard lock(mutex_);
    if (!open_) throw PortError("port not open");
    if (vanished_) throw PortError(kGone);
    advance(clock_->now());
    if (receive) ready_.clear();
}

void SimModemPort::setRts(bool) {
    std::lock_guard lock(mutex_);
    if (vanished_) throw PortError(kGone);
}

std::vector<std::string> SimModemPort::submittedTexts() const {
    std::lock_guard lock(mutex_);
    return submitted_;
}

int SimModemPort::pinTries() const {
    std::lock_guard lock(mutex_);
    return pinTries_;
}

void SimModemPort::plugInAgain() {
    std::lock_guard lock(mutex_);
    flushNetwork();
    vanished_ = false;
    open_ = false;
    options_.vanishAt = 0;
    echo_ = true;
    pinOk_ = false;
}

void SimModemPort::at(Clock::Duration after, std::function<void()> action) {
    events_.emplace(now_ + after, std::move(action));
}

void SimModemPort::say(Clock::Duration after, std::string text) {
    at(after, [this, text = std::move(text)] { ready_ += text; });
}

void SimModemPort::advance(Clock::TimePoint now) {
    while (!events_.empty() && events_.begin()->first <= now) {
        auto node = events_.extract(events_.begin());
        now_ = node.key();
        node.mapped()();
    }
    now_ = now;
}

bool SimModemPort::simReady() const {
    return !options_.noSim && !options_.puk && pinTriesLeft_ > 0 &&
           (options_.pin.empty() || pinOk_);
}

int SimModemPort::registration() const {
    if (!simReady()) return 0;
    if (options_.noNetwork) return 2;
    if (options_.roamingDenied) return 3;
    if (options_.slow && now_ < poweredAt_ + 10s) return 2;
    return options_.roaming ? 5 : 1;
}

int SimModemPort::store(std::string pdu) {
    const int index = nextIndex_++;
    stored_[index] = std::move(pdu);
    return index;
}

void SimModemPort::command(const std::string& typed) {
    const std::string line = upper(typed);
    const auto answer = options_.slow ? 300ms : 20ms;
    auto reply = [&](const std::string& text) { say(answer, "\r\n" + text + "\r\n"); };
    auto ok = [&](const std::string& info = {}) {
        reply(info.empty() ? "OK" : info + "\r\n\r\nOK");
    };
    if (line.empty()) return;
    if (line == "AT" || line == "AT+CMEE=1" || line.starts_with("AT+CMGD") || line == "ATZ")
        return ok();
    if (line == "ATE0" || line == "ATE1") {
        echo_ = line == "ATE1";
        return ok();
    }
    if (line == "AT+GCAP") return ok("+GCAP: +CGSM,+DS,+ES");
    if (line == "AT+CPIN?") {
        if (options_.noSim) return reply("+CME ERROR: 10");
        if (options_.puk || pinTriesLeft_ == 0) return ok("+CPIN: SIM PUK");
        return ok(simReady() ? "+CPIN: READY" : "+CPIN: SIM PIN");
    }
    if (line == "AT+CPINR=\"SIM PIN\"" && !options_.noCpinr) {
        if (options_.noSim) return reply("+CME ERROR: 10");
        return ok("+CPINR: SIM PIN," + std::to_string(pinTriesLeft_) + ",3");
    }
    if (line.starts_with("AT+CPIN=")) {
        ++pinTries_;
        std::string code = typed.substr(8);
        code.erase(std::remove(code.begin(), code.end(), '"'), code.end());
        if (simReady() || options_.noSim || pinTriesLeft_ == 0) return reply("+CME ERROR: 3");
        if (code == options_.pin) {
            pinOk_ = true;
            return ok();
        }
        --pinTriesLeft_;
        return reply("+CME ERROR: 16");
    }
    if (line == "AT+CMGF=0" || line == "AT+CMGF=1") return ok();
    if (line == "AT+CREG?") return ok("+CREG: 0," + std::to_string(registration()));
    if (line == "AT+CSQ")
        return ok(registration() == 1 || registration() == 5 ? "+CSQ: 21,99" : "+CSQ: 99,99");
    if (line.starts_with("AT+CNMI=")) {
        int fields[5] = {0, 0, 0, 0, 0};
        std::string_view rest = std::string_view(line).substr(8);
        for (int& f : fields) {
            const auto comma = rest.find(',');
            f = positiveNumber(rest.substr(0, comma)).value_or(0);
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        if (fields[1] > 3 || fields[3] > 2 || (options_.storedReports && fields[3] == 1))
            return reply("ERROR");
        mt_ = fields[1];
        ds_ = fields[3];
        return ok();
    }
    if (line.starts_with("AT+CMGS=")) {
        const auto length = positiveNumber(std::string_view(line).substr(8));
        if (!length || *length > 164) return reply("+CMS ERROR: 304");
        if (!simReady()) return reply("+CMS ERROR: 311");
        awaitingPdu_ = true;
        pduLength_ = *length;
        input_.clear();
        say(answer, "\r\n> ");
        return;
    }
    if (line.starts_with("AT+CMGR=")) {
        const auto index = positiveNumber(std::string_view(line).substr(8));
        const auto it = index ? stored_.find(*index) : stored_.end();
        if (it == stored_.end()) return reply("+CMS ERROR: 321");
        const std::size_t tpdu = it->second.size() / 2 - 1;
        return ok("+CMGR: 0,," + std::to_string(tpdu) + "\r\n" + it->second);
    }
    reply("ERROR");
}

void SimModemPort::submit(const std::string& hex) {
    const int n = ++taken_;
    const auto message = decodeSubmit(hex);
    const auto tpdu = tpduOctets(hex, pduLength_);
    const auto delay = options_.slow ? 8s : 1s;
    if (!message || !tpdu) {
        say(delay, "\r\n+CMS ERROR: 304\r\n");
        return;
    }
    submitted_.push_back(message->text);
    const LocalDateTime accepted = clock_->localTime();
    if (options_.vanishAt == n) {
        // The message goes out; the modem is gone before it can say so.
        vanished_ = true;
        deliver(message->number, message->text, false, 0, accepted);
        flushNetwork();
        changed_.notify_all();
        return;
    }
    if (options_.cmsErrorAt == n) {
        say(delay, "\r\n+CMS ERROR: " + std::to_string(options_.cmsErrorCode) + "\r\n");
        return;
    }
    const int reg = registration();
    if (reg != 1 && reg != 5) {
        say(delay, "\r\n+CMS ERROR: 331\r\n");
        return;
    }
    const std::uint8_t reference = ++reference_;
    say(delay, "\r\n+CMGS: " + std::to_string(reference) + "\r\n\r\nOK\r\n");
    at(delay + (options_.slow ? 40s : 3s), [this, m = *message, reference, accepted] {
        // Delivered even when the modem is gone by then; only the report needs the modem.
        deliver(m.number, m.text, m.statusReport, reference, accepted);
    });
}

void SimModemPort::deliver(const std::string& number, const std::string& text, bool report,
                           std::uint8_t reference, const LocalDateTime& accepted) {
    bool applied = false;
    if (options_.deliverPath.empty()) {
        ConfigImage scratch;
        applied = applySmsConfigCommand(text, scratch.data(), scratch.size());
    } else {
        std::string error;
        std::optional<SimMemory> memory = SimMemory::fresh();
        if (fileExists(options_.deliverPath)) memory = loadSimMemory(options_.deliverPath, error);
        if (memory) {
            applied = applySmsConfigCommand(text, memory->image.data(), memory->image.size());
            if (applied) saveSimMemory(*memory, options_.deliverPath, error);
        }
    }
    if (vanished_) return;
    if (report && !options_.noReports && ds_ != 0) {
        std::vector<std::uint8_t> r = {0x06, reference};
        appendAddress(r, number);
        appendTimestamp(r, accepted);
        appendTimestamp(r, clock_->localTime());
        r.push_back(0x00); // received by the module
        if (ds_ == 1) {
            say(0s, "\r\n+CDS: " + std::to_string(r.size()) + "\r\n" + modemPdu(r) + "\r\n");
        } else {
            const int index = store(modemPdu(r));
            say(0s, "\r\n+CDSI: \"SM\"," + std::to_string(index) + "\r\n");
        }
    }
    if (options_.reply && applied) {
        at(2s, [this, number] {
            if (vanished_) return;
            std::vector<std::uint8_t> d = {0x04};
            appendAddress(d, number);
            d.push_back(0x00);
            d.push_back(0x00);
            appendTimestamp(d, clock_->localTime());
            const auto septets = gsm7Septets("OK");
            d.push_back(static_cast<std::uint8_t>(septets->size()));
            for (std::uint8_t b : packSeptets(*septets))
                d.push_back(b);
            if (mt_ == 2) {
                say(0s, "\r\n+CMT: ," + std::to_string(d.size()) + "\r\n" + modemPdu(d) + "\r\n");
            } else if (mt_ == 1) {
                const int index = store(modemPdu(d));
                say(0s, "\r\n+CMTI: \"SM\"," + std::to_string(index) + "\r\n");
            }
        });
    }
}

std::size_t SimModemPort::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (!open_) throw PortError("port not open");
    if (vanished_) throw PortError(kGone);
    advance(clock_->now());
    for (std::uint8_t b : bytes) {
        const char c = static_cast<char>(b);
        if (vanished_) throw PortError(kGone);
        if (awaitingPdu_) {
            if (c == kCtrlZ) {
                awaitingPdu_ = false;
                submit(input_);
                input_.clear();
            } else if (c == kEscape) {
                awaitingPdu_ = false;
                input_.clear();
                say(20ms, "\r\nOK\r\n");
            } else if (c != '\r' && c != '\n' && input_.size() < kMaxLine) {
                input_.push_back(c);
            }
            continue;
        }
        if (c == '\r') {
            const std::string line = input_;
            input_.clear();
            if (echo_) ready_ += line + "\r";
            command(line);
        } else if (c == kEscape) {
            input_.clear();
        } else if (c != '\n' && input_.size() < kMaxLine) {
            input_.push_back(c);
        }
    }
    changed_.notify_all();
    return bytes.size();
}

std::size_t SimModemPort::readAvailable(std::span<std::uint8_t> out) {
    std::lock_guard lock(mutex_);
    if (!open_) throw PortError("port not open");
    if (vanished_) throw PortError(kGone);
    advance(clock_->now());
    const std::size_t n = std::min(out.size(), ready_.size());
    std::copy_n(ready_.begin(), n, out.begin());
    ready_.erase(0, n);
    return n;
}

bool SimModemPort::waitReadable(Clock::Duration timeout) {
    std::unique_lock lock(mutex_);
    if (!open_) throw PortError("port not open");
    const auto deadline = clock_->now() + timeout;
    for (;;) {
        if (vanished_) throw PortError(kGone);
        const auto now = clock_->now();
        advance(now);
        if (!ready_.empty()) return true;
        if (now >= deadline || !open_) return false;
        auto target = deadline;
        if (!events_.empty() && events_.begin()->first < deadline) target = events_.begin()->first;
        if (virtual_)
            virtual_->advanceTo(target);
        else
            changed_.wait_until(
                lock, std::chrono::time_point<std::chrono::steady_clock, Clock::Duration>(target));
    }
}

} // namespace qv
