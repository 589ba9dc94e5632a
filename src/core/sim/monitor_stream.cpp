#include "sim/monitor_stream.hpp"

#include "common/text_format.hpp"
#include "sim/sim_memory.hpp"

#include <algorithm>
#include <array>

namespace qv::sim {

namespace {

constexpr int kEventSlots = 200;

// Inputs that change in the simulated module: the five wired inputs (columns 4..8).
constexpr int kFirstWiredInput = 4;
constexpr int kWiredInputs = 5;
constexpr int kAlarmCodeOfColumn0 = 1;   // column i alarm: code i + 1
constexpr int kReturnCodeOfColumn0 = 17; // column i return: code i + 17
constexpr int kAcColumn = 1;
constexpr int kAlarmInputColumn = 5; // "We 2"
constexpr int kInputAlarmLength = 60;

void appendHex(std::string& out, std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int d = digits - 1; d >= 0; --d)
        out.push_back(kDigits[(value >> (4 * d)) & 15u]);
}

std::string hexField(std::uint32_t value) {
    std::string s;
    int digits = 1;
    while (digits < 8 && (value >> (4 * digits)) != 0)
        ++digits;
    appendHex(s, value, digits);
    return s;
}

} // namespace

MonitorStream::MonitorStream(Options options)
    : options_(options), rng_(options.seed | 1u),
      events_(((options.eventPosition % kEventSlots) + kEventSlots) % kEventSlots) {}

void MonitorStream::setModuleTime(const LocalDateTime& t, std::chrono::milliseconds at) {
    options_.moduleTime = addSeconds(t, -(at.count() / 1000));
}

std::chrono::milliseconds MonitorStream::nextEmission(std::chrono::milliseconds after) {
    // Lines leave at whole and half seconds.
    return std::chrono::milliseconds((after.count() < 0 ? 0 : after.count() / 500 + 1) * 500);
}

std::uint32_t MonitorStream::random() {
    // xorshift32: cheap and the same on every platform.
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
}

std::string MonitorStream::advanceTo(std::chrono::milliseconds elapsed) {
    const long long until = elapsed.count();
    std::string out;
    if (until <= doneMs_) return out;
    auto due = [&](long long t) { return t > doneMs_ && t <= until; };

    // Every second has two moments: its start (reset cause at 0, then an event line if an
    // input changed and the status line) and its middle (the modem lines).
    for (long long s = doneMs_ < 0 ? 0 : doneMs_ / 1000; s * 1000 <= until; ++s) {
        const long long start = s * 1000, middle = start + 500;
        if (s == 0 && due(start)) {
            out += "\r\nAT+QVXR=";
            appendHex(out, options_.resetCause, 2);
            out += "\r\n";
        }
        if (s > 0 && due(start)) {
            // Told changes first: the mains failing, an input alarm and its return.
            auto change = [&](int column, bool alarm) {
                const auto bit = static_cast<std::uint16_t>(1u << column);
                inputs_ = alarm ? static_cast<std::uint16_t>(inputs_ & ~bit)
                                : static_cast<std::uint16_t>(inputs_ | bit);
                events_ = (events_ + 1) % kEventSlots;
                out += eventLine(s, alarm ? column + kAlarmCodeOfColumn0
                                          : column + kReturnCodeOfColumn0);
            };
            if (options_.mainsLossSecond > 0 && s == options_.mainsLossSecond)
                change(kAcColumn, true);
            if (options_.inputAlarmSecond > 0 && s == options_.inputAlarmSecond) {
                change(kAlarmInputColumn, true);
                outputs_ = 1;
            }
            if (options_.inputAlarmSecond > 0 &&
                s == options_.inputAlarmSecond + kInputAlarmLength) {
                change(kAlarmInputColumn, false);
                outputs_ = 0;
            }
            if (options_.inputChangeSeconds > 0 && s % options_.inputChangeSeconds == 0) {
                const int column = kFirstWiredInput + static_cast<int>(random() % kWiredInputs);
                inputs_ ^= static_cast<std::uint16_t>(1u << column);
                const bool alarm = !((inputs_ >> column) & 1u);
                outputs_ = alarm ? 1 : 0;
                events_ = (events_ + 1) % kEventSlots;
                out += eventLine(s, alarm ? column + kAlarmCodeOfColumn0
                                          : column + kReturnCodeOfColumn0);
            }
            out += statusLine(s);
        }
        if (!due(middle)) continue;
        if (s == 0) out += "+CPIN: READY\r\n";
        if (s == 1) out += "+CREG: 0,1\r\n";
        if (s >= 2 && options_.clockReportSeconds > 0 &&
            (s - 2) % options_.clockReportSeconds == 0) {
            const LocalDateTime now = addSeconds(options_.moduleTime, s);
            out += "+CCLK: \"" + zeroPadded(now.year % 100, 2) + "/" + zeroPadded(now.month, 2) +
                   "/" + zeroPadded(now.day, 2) + "," + zeroPadded(now.hour, 2) + ":" +
                   zeroPadded(now.minute, 2) + ":" + zeroPadded(now.second, 2) + "+08\"\r\n";
        }
    }
    doneMs_ = until;
    return out;
}

std::string MonitorStream::statusLine(long long second) {
    if (random() % 4 == 0)
        signal_ = std::clamp(signal_ + static_cast<int>(random() % 3) - 1, 5, 31);
    std::uint32_t ac = 160 + random() % 5;   // about 16.5 V
    std::uint32_t accu = 125 + random() % 3; // about 13.5 V
    if (options_.mainsLossSecond > 0 && second >= options_.mainsLossSecond) {
        ac = random() % 2; // the mains are gone; the battery runs down to 10.5 V
        const auto fallen = static_cast<std::uint32_t>((second - options_.mainsLossSecond) / 10);
        accu = 125 - std::min<std::uint32_t>(fallen, 30) + random() % 2;
    }
    const std::uint32_t testMinutes = 1440 - static_cast<std::uint32_t>(second / 60 % 1440);
    const std::array<std::string, 23> fields = {hexField(static_cast<std::uint32_t>(second)),
                                                hexField(ac),
                                                hexField(accu),
                                                hexField(random() % 4),
                                                hexField(0),
                                                "0",
                                                "1",
                                                hexField(static_cast<std::uint32_t>(signal_)),
                                                "4",
                                                "8",
                                                "0",
                                                hexField(inputs_),
                                                hexField(outputs_),
                                                hexField(0x7FFF),
                                                "111111111111111",
                                                "0",
                                                hexField(static_cast<std::uint32_t>(events_)),
                                                hexField(testMinutes),
                                                hexField(225 + random() % 10), // about 23 C
                                                "FFF6",
                                                "0",
                                                "0",
                                                second % 120 < 10 ? "2" : "0"};
    std::string line = "AT+QVXS=";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line.push_back(';');
        line += fields[i];
    }
    line += "\r\n";
    return line;
}

std::string MonitorStream::eventLine(long long second, int code) {
    const LocalDateTime t = addSeconds(options_.moduleTime, second);
    std::array<std::uint8_t, 40> rec{};
    rec[1] = 0x03;
    rec[5] = static_cast<std::uint8_t>(t.year - 2000);
    rec[6] = static_cast<std::uint8_t>(t.month);
    rec[7] = static_cast<std::uint8_t>(t.day);
    rec[8] = static_cast<std::uint8_t>(t.hour);
    rec[9] = static_cast<std::uint8_t>(t.minute);
    rec[10] = static_cast<std::uint8_t>(t.second);
    rec[12] = static_cast<std::uint8_t>(code);
    rec[13] = static_cast<std::uint8_t>(inputs_ >> 8);
    rec[14] = static_cast<std::uint8_t>(inputs_ & 0xFF);
    rec[15] = outputs_;
    rec[16] = 160;
    rec[17] = 135;
    rec[20] = 23;
    rec[21] = static_cast<std::uint8_t>(signal_);
    std::string line = "AT+QVXH=";
    for (auto b : rec)
        appendHex(line, b, 2);
    line += "\r\n";
    return line;
}

namespace {
// "AT+CCLK="YY/MM/DD,hh:mm:ss+zz"": the time it sets, or nothing.
std::optional<LocalDateTime> clockCommandTime(std::string_view line) {
    constexpr std::string_view kPrefix = "AT+CCLK=\"";
    if (line.substr(0, kPrefix.size()) != kPrefix || line.size() < kPrefix.size() + 17)
        return std::nullopt;
    const std::string_view t = line.substr(kPrefix.size(), 17);
    auto num = [&](std::size_t at) -> int {
        const char a = t[at], b = t[at + 1];
        if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
        return (a - '0') * 10 + (b - '0');
    };
    const int yy = num(0), mo = num(3), dd = num(6), hh = num(9), mi = num(12), ss = num(15);
    if (yy < 0 || mo < 1 || mo > 12 || dd < 1 || dd > 31 || hh < 0 || hh > 23 || mi < 0 ||
        mi > 59 || ss < 0 || ss > 59)
        return std::nullopt;
    return LocalDateTime{2000 + yy, mo, dd, hh, mi, ss, 0};
}

constexpr std::uint8_t kPowerUp = 0xF0;
constexpr std::uint8_t kExternalReset = 0xF3;
constexpr std::uint8_t kWrongPin = 0x03;
constexpr std::size_t kMaxCommandLine = 512;
} // namespace

MonitorApplicationStream::MonitorApplicationStream(MonitorStream::Options options)
    : options_(options) {}

void MonitorApplicationStream::start(const SimMemory& memory) {
    MonitorStream::Options o = options_;
    o.resetCause =
        starts_++ == 0 || options_.resetCause == kWrongPin ? options_.resetCause : kExternalReset;
    o.eventPosition = memory.eventPosition;
    o.seed = options_.seed + static_cast<std::uint32_t>(starts_);
    stream_.emplace(o);
    line_.clear();
}

std::string MonitorApplicationStream::emitUntil(Clock::Duration sinceStart) {
    if (!stream_) return {};
    return stream_->advanceTo(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart));
}

std::optional<Clock::Duration>
MonitorApplicationStream::nextEmission(Clock::Duration sinceStart) const {
    return MonitorStream::nextEmission(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart));
}

void MonitorApplicationStream::received(std::uint8_t byte, Clock::Duration sinceStart) {
    if (byte == '\r' || byte == '\n') {
        if (const auto t = clockCommandTime(line_); t && stream_) {
            const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart);
            stream_->setModuleTime(*t, at);
            options_.moduleTime = addSeconds(*t, -(at.count() / 1000));
        }
        line_.clear();
    } else if (line_.size() < kMaxCommandLine) {
        line_.push_back(static_cast<char>(byte));
    }
}

std::shared_ptr<ApplicationStream> makeMonitorApplicationStream(bool wrongPin) {
    MonitorStream::Options o;
    o.resetCause = wrongPin ? kWrongPin : kPowerUp;
    return std::make_shared<MonitorApplicationStream>(o);
}

std::shared_ptr<ApplicationStream> makeMonitorApplicationStream(MonitorStream::Options options) {
    return std::make_shared<MonitorApplicationStream>(options);
}

} // namespace qv::sim
