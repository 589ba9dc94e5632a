#include "monitor/monitor_model.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"
#include "monitor/event_history.hpp"

#include <algorithm>
#include <cstring>

namespace qv {

namespace {

constexpr std::size_t kPieceSize = 1000;      // bytes handled per piece of a batch
constexpr std::size_t kMaxLineLength = 65536; // longer garbage is cut, never grows memory
constexpr std::uint8_t kCr = 13;
constexpr std::uint8_t kLf = 10;
constexpr char kNotConfiguredMark = 4; // a line ending in it: module not configured

constexpr std::array<std::string_view, kMonitorValueCount> kValueNames = {
    "ac",           "accu",       "analog3",    "analog4",       "LabelTLevel1",
    "labelTLevel2", "sim",        "creg",       "csq",           "gprs",
    "apn",          "labelReset", "testPeriod", "DateTimeLabel", "centralkaLabel",
    "LabelLine"};

constexpr std::array<std::string_view, kMonitorValueCount> kValueCaptions = {
    "Napięcie AC:",
    "Napięcie akumulatora:",
    "Wejście analogowe 3:",
    "Wejście analogowe 4:",
    "Termometr 1 (na wejściu Z2):",
    "Termometr 2 (na wejściu Z5):",
    "Karta SIM:",
    "Rejestracja w sieci GSM:",
    "Poziom zasięgu:",
    "Praca w trybie GPRS:",
    "Status połączenia GPRS:",
    "Przyczyna resetu urządzenia:",
    "Czas do automatycznego testu:",
    "Data i godzina na urządzeniu:",
    "Status centralki alarmowej:",
    "Linia telefoniczna:"};

constexpr std::array<std::string_view, kMonitorInputs> kInputCaptions = {
    "TEST", "  AC", "Akum.", "GSM",  "We 1", "We 2", "We 3", "We 4",
    "We 5", "Ex 1", "Ex 2",  "Ex 3", "Ex 4", "Ex 5", "Ex 6"};

constexpr std::array<std::string_view, kMonitorOutputs> kOutputCaptions = {
    "  Wyjscie 1", "Wyjscie 1(Ex)", "Wyjscie 2(Ex)", "Wyjscie 3(Ex)", "Wyjscie 4(Ex)"};

struct ResetCause {
    int code;
    std::string_view text;
};
constexpr ResetCause kResetCauses[] = {
    {1, "Brak odpowiedzi z GSM po resecie"},
    {2, "Błąd karty sim"},
    {3, "Błąd PIN"},
    {4, "Potrzebny PUK"},
    {5, "Nieobsługiwana odpowiedź SIMa"},
    {6, "Brak odpowiedzi na PIN"},
    {7, "Błąd inicjalizacji modułu"},
    {8, "Zbyt długi czas braku zalogowania do sieci GSM"},
    {9, "Brak odpowiedzi na komendę [1]"},
    {0x0A, "Planowany restart telefonu GSM"},
    {0x0B, "Błąd połączenia z serwerem (GPRS)"},
    {0x0C, "Rozkaz resetu wysłany SMSem"},
    {0x0D, "Nieplanowany reset GSMI(ECHO)"},
    {0x0E, "Brak odpowiedzi z GSM"},
    {0x0F, "Wybudzenie z uśpienia GSM"},
    {0x20, "KOD 769"},
    {0x21, "KOD 313"},
    {0xF0, "Podłączenie zasilania"},
    {0xF1, "Watchdog"},
    {0xF2, "Zasilanie poniżej minimum"},
    {0xF3, "Reset zewnętrzny"},
};

constexpr int kResetCauseBadPin = 3;

// Tag table rows of the terminal.
constexpr std::size_t kTagResetCause = 0, kTagEvent = 1, kTagStatus = 2, kTagCreg = 3, kTagCpin = 5,
                      kTagCclk = 6, kTagMinus = 8, kTagPrompt = 9, kTagPlus = 10, kTagS1 = 11;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1 to 8 hexadecimal digits.
bool parseHex32(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    value = v;
    return true;
}

bool startsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

bool isSeparatorChar(unsigned char c) {
    return c >= 1 && c <= 32;
}

void appendHex2(std::string& out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
}

// Received text as UTF-8; most lines are plain ASCII and need no conversion.
std::string receivedText(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return fromCp1250(bytes);
    return std::string(bytes);
}

void appendLimited(std::deque<std::string>& list, std::string entry, std::size_t limit) {
    if (limit == 0) return;
    while (list.size() >= limit)
        list.pop_front();
    list.push_back(std::move(entry));
}

void appendTwoDigits(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + v / 10 % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

std::string twoDigits(int v) {
    return zeroPadded(v, 2);
}

} // namespace

std::string_view monitorValueName(MonitorValue v) {
    return kValueNames[static_cast<std::size_t>(v)];
}
std::string_view monitorValueCaption(MonitorValue v) {
    return kValueCaptions[static_cast<std::size_t>(v)];
}
std::string_view inputCaption(int column) {
    return column >= 0 && column < kMonitorInputs ? kInputCaptions[static_cast<std::size_t>(column)]
                                                  : std::string_view{};
}
std::string_view outputCaption(int output) {
    return output >= 0 && output < kMonitorOutputs
               ? kOutputCaptions[static_cast<std::size_t>(output)]
               : std::string_view{};
}

std::string_view resetCauseText(int code) {
    for (const auto& c : kResetCauses)
        if (c.code == code) return c.text;
    return {};
}

std::string byteLogLine(std::uint8_t byte) {
    std::string line;
    appendHex2(line, byte);
    line.push_back(' ');
    if (byte < 32 || byte == 127)
        line.push_back('.');
    else
        line += fromCp1250(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    return line;
}

void splitStatusFields(std::string_view text, std::vector<std::string>& out) {
    std::size_t n = 0;
    auto next = [&]() -> std::string& {
        if (n == out.size()) out.emplace_back();
        std::string& s = out[n++];
        s.clear();
        return s;
    };
    std::size_t i = 0;
    const std::size_t end = text.size();
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < end && isSeparatorChar(at(i)))
        ++i;
    while (i < end) {
        std::string& field = next();
        if (text[i] == '"') {
            ++i;
            while (i < end) {
                if (text[i] == '"') {
                    if (i + 1 < end && text[i + 1] == '"') {
                        field.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.push_back(text[i++]);
            }
        } else {
            const std::size_t start = i;
            while (i < end && !isSeparatorChar(at(i)) && text[i] != ';')
                ++i;
            field.assign(text.substr(start, i - start));
        }
        while (i < end && isSeparatorChar(at(i)))
            ++i;
        if (i < end && text[i] == ';') {
            if (i + 1 == end) next();
            ++i;
            while (i < end && isSeparatorChar(at(i)))
                ++i;
        }
    }
    out.resize(n);
}

bool statusFieldValue(std::string_view field, std::uint32_t& value) {
    std::uint32_t v = 0;
    if (!parseHex32(field, v) || v == 0xFFFFFFFFu) return false;
    value = v;
    return true;
}

MonitorModel::MonitorModel(const Clock& clock, Options options)
    : clock_(&clock), options_(options) {
    for (auto& v : values_)
        v = DisplayValue{"?", "", Colour::Default};
    val(MonitorValue::Sim).colour = Colour::Black;
    val(MonitorValue::Creg).colour = Colour::Black;
    csqGauge_.max = 31;
    historyUsage_.max = 199;
    byteRing_.assign(std::max<std::size_t>(options_.byteLogCapacity, 1), 0);
}

void MonitorModel::receive(std::string_view bytes) {
    receive(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                          bytes.size()));
}

void MonitorModel::receive(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kPieceSize);
        receivePiece(bytes.first(n));
        bytes = bytes.subspan(n);
    }
}

void MonitorModel::receivePiece(std::span<const std::uint8_t> piece) {
    waitVisible_ = false;
    silence_ = 0;
    if (badPin_) emit(MonitorEffectKind::CloseForBadPin);

    // Byte log: only the most recent bytes are kept; lines are made when asked for.
    const std::size_t cap = byteRing_.size();
    for (auto rest = piece.size() > cap ? piece.last(cap) : piece; !rest.empty();) {
        const std::size_t n = std::min(rest.size(), cap - byteRingNext_);
        std::memcpy(byteRing_.data() + byteRingNext_, rest.data(), n);
        byteRingNext_ = (byteRingNext_ + n) % cap;
        rest = rest.subspan(n);
    }
    byteRingCount_ = std::min(cap, byteRingCount_ + piece.size());
    if (byteListener_) byteListener_(piece);

    received_ += static_cast<long long>(piece.size());
    const auto* p = piece.data();
    const auto* end = p + piece.size();
    while (p < end) {
        const auto* stop = p;
        while (stop < end && *stop != kCr && *stop != kLf)
            ++stop;
        if (stop > p && lineBuffer_.size() < kMaxLineLength) {
            const std::size_t room = kMaxLineLength - lineBuffer_.size();
            lineBuffer_.append(reinterpret_cast<const char*>(p),
                               std::min<std::size_t>(room, static_cast<std::size_t>(stop - p)));
        }
        if (stop == end) break;
        if (*stop == kCr && !lineBuffer_.empty()) {
            ++completedLines_;
            dispatch(lineBuffer_);
            lineBuffer_.clear();
        }
        p = stop + 1;
    }
    statusBarUnknown_ = false;
}

std::string MonitorModel::statusBarText() const {
    if (statusBarUnknown_) return "?";
    std::string text = " Odebrano: " + std::to_string(received_);
    if (dropped_ > 0) text += " (pominięto: " + std::to_string(dropped_) + ")";
    return text;
}

void MonitorModel::noteDropped(long long bytes) {
    if (bytes <= 0) return;
    waitVisible_ = false;
    silence_ = 0;
    if (badPin_) emit(MonitorEffectKind::CloseForBadPin);
    received_ += bytes;
    dropped_ += bytes;
    lineBuffer_.clear();
    statusBarUnknown_ = false;
}

std::vector<std::string> MonitorModel::byteLog() const {
    std::vector<std::string> lines;
    lines.reserve(byteRingCount_);
    const std::size_t cap = byteRing_.size();
    std::size_t i = (byteRingNext_ + cap - byteRingCount_) % cap;
    for (std::size_t k = 0; k < byteRingCount_; ++k, i = (i + 1) % cap)
        lines.push_back(byteLogLine(byteRing_[i]));
    return lines;
}

std::vector<MonitorEffect> MonitorModel::takeEffects() {
    std::vector<MonitorEffect> out;
    out.swap(effects_);
    return out;
}

void MonitorModel::emit(MonitorEffectKind kind, std::string text) {
    effects_.push_back({kind, std::move(text)});
}

void MonitorModel::setClockSync(bool enabled) {
    if (clockSync_ == enabled) return;
    clockSync_ = enabled;
    emit(enabled ? MonitorEffectKind::ClockSyncEnabled : MonitorEffectKind::ClockSyncDisabled);
}

void MonitorModel::appendLineLog(std::string text, bool fromModule) {
    if (lineListener_) lineListener_(text, fromModule);
    lineLog_.push_back(std::move(text));
    // The terminal empties its log when it grows past its limit; later lines start afresh.
    if (lineLog_.size() > options_.lineLogLimit) {
        lineLog_.clear();
        ++lineLogClears_;
    }
}

void MonitorModel::displayReset() {
    timerRunning_ = true;
    appendLineLog(std::string(kResetMarker), false);
    silence_ = 0;
    historyUsage_.value = 0;

    statusBarUnknown_ = true;
    for (auto v : {MonitorValue::TestPeriod, MonitorValue::DateTime, MonitorValue::Centralka,
                   MonitorValue::Csq, MonitorValue::Sim, MonitorValue::Creg, MonitorValue::Gprs,
                   MonitorValue::Apn, MonitorValue::Ac, MonitorValue::Accu, MonitorValue::Analog3,
                   MonitorValue::Analog4})
        val(v).text = "?";
    for (auto v : {MonitorValue::TestPeriod, MonitorValue::DateTime, MonitorValue::Sim,
                   MonitorValue::Creg, MonitorValue::Gprs, MonitorValue::Apn, MonitorValue::Ac,
                   MonitorValue::Accu, MonitorValue::Analog3, MonitorValue::Analog4})
        val(v).tooltip.clear();
    csqGauge_.tooltip.clear();
    val(MonitorValue::Sim).colour = Colour::Black;
    val(MonitorValue::Creg).colour = Colour::Black;

    csqGauge_.value = 0;
    csqGauge_.max = 31;
    historyUsage_.value = 0;

    configVisible_ = false;
    waitVisible_ = true;

    for (auto& in : inputs_)
        in = InputColumn{};
    for (auto& out : outputs_)
        out = OutputIndicator{};

    setClockSync(false);
}

void MonitorModel::tick() {
    if (!timerRunning_) return;
    waitText_ = std::string(kWaitBannerText) + " (" + std::to_string(silence_) + "sek.)";
    ++silence_;
    if (silence_ > 15) {
        waitVisible_ = true;
        configVisible_ = false;
    }
    if (silence_ > 120) {
        displayReset();
        timerRunning_ = false;
        emit(MonitorEffectKind::SilenceMessage, std::string(kSilenceMessage));
    }
    auto mod256 = [](int v) { return ((v % 256) + 256) % 256; };
    waitBackground_ = Rgb{mod256(2 * silence_), mod256(250 - 2 * silence_), 0};
}

void MonitorModel::silenceMessageDismissed() {
    timerRunning_ = true;
    silence_ = 0;
}

void MonitorModel::dispatch(std::string_view line) {
    if (line.back() == kNotConfiguredMark) {
        displayReset();
        configVisible_ = true;
        waitVisible_ = false;
    }
    if (startsWith(line, "+CLIP")) emit(MonitorEffectKind::PlayRing);
    DisplayValue& sim = val(MonitorValue::Sim);
    if (line == "+CME ERROR: 10") {
        sim.text = "Błąd karty SIM";
        sim.colour = Colour::Red;
    }
    if (line == "+CPIN: READY") {
        setClockSync(true);
        sim.text = "OK";
        sim.colour = Colour::Green;
    }
    if (line == "+CPIN: ERROR") {
        sim.text = "Błędny PIN !!!";
        sim.colour = Colour::Red;
    }
    tags_[kTagCpin] = "CPIN:" + sim.text;

    const std::string text = receivedText(line);
    if (line[0] == '+' || line[0] == 'A' || line[0] == '>' || line[0] == '-') {
        if (startsWith(line, "+CCLK")) {
            tags_[kTagCclk] = text;
            clockLine(line);
        }
        if (startsWith(line, "AT+S_1")) tags_[kTagS1] = text;
        if (startsWith(line, "+CREG")) tags_[kTagCreg] = text;
        if (startsWith(line, ">")) tags_[kTagPrompt] = text;
        if (startsWith(line, "-")) tags_[kTagMinus] = text;
        if (startsWith(line, "+!")) tags_[kTagPlus] = text;
        if (startsWith(line, "AT+QVXR=")) {
            tags_[kTagResetCause] = text;
            resetCauseLine(line.substr(8));
        }
        if (startsWith(line, "AT+QVXH=")) {
            tags_[kTagEvent] = text;
            eventLine(line.substr(8));
        }
        if (startsWith(line, "AT+QVXS=")) {
            tags_[kTagStatus] = text;
            statusLine(line.substr(8));
        }
    }

    const LocalDateTime now = clock_->localTime();
    std::string logLine;
    logLine.reserve(9 + text.size());
    appendTwoDigits(logLine, now.hour);
    logLine.push_back(':');
    appendTwoDigits(logLine, now.minute);
    logLine.push_back(':');
    appendTwoDigits(logLine, now.second);
    logLine.push_back(' ');
    logLine += text;
    appendLineLog(std::move(logLine), true);
}

void MonitorModel::clockLine(std::string_view line) {
    const auto quote = line.find('"');
    std::string_view rest = quote == std::string_view::npos ? line : line.substr(quote + 1);
    if (!rest.empty()) rest.remove_suffix(1);
    rest = rest.substr(0, 17);
    val(MonitorValue::DateTime).text = "20" + fromCp1250(rest);
}

void MonitorModel::resetCauseLine(std::string_view rest) {
    displayReset();
    DisplayValue& reset = val(MonitorValue::ResetCause);
    reset.tooltip = "0x" + fromCp1250(rest);
    std::uint32_t number = 0;
    const int code = parseHex32(rest, number) ? static_cast<int>(number & 0xFFu) : 0;
    if (const auto text = resetCauseText(code); !text.empty()) reset.text = std::string(text);
    if (code == kResetCauseBadPin) badPin_ = true;

    const LocalDateTime now = clock_->localTime();
    std::string entry = twoDigits(now.year % 100) + "-" + twoDigits(now.month) + "-" +
                        twoDigits(now.day) + " " + twoDigits(now.hour) + ":" +
                        twoDigits(now.minute) + ":" + twoDigits(now.second) + " " + reset.text +
                        " (" + reset.tooltip + ")";
    appendLimited(resets_, entry, options_.listLimit);
    emit(MonitorEffectKind::ResetLogged, std::move(entry));
}

void MonitorModel::eventLine(std::string_view rest) {
    constexpr std::size_t kFirst = 5, kLast = 18;
    if (rest.size() < 2 * (kLast + 1)) return; // too short: skipped
    std::array<std::uint8_t, kLast + 1> rec{};
    for (std::size_t k = kFirst; k <= kLast; ++k) {
        const int hi = hexDigit(rest[2 * k]);
        const int lo = hexDigit(rest[2 * k + 1]);
        if (hi < 0 || lo < 0) return; // not hexadecimal: skipped
        rec[k] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    std::string text =
        formatProgDate(eventTimeStamp(std::span<const std::uint8_t, 7>(rec.data() + kFirst, 7)));
    const std::uint8_t code = rec[event_byte::kCode];
    if (code == kDtmfEventCode) {
        text += " DTMF P:";
        appendHex2(text, rec[15]);
        text += " C:";
        appendHex2(text, rec[13]);
        appendHex2(text, rec[14]);
        text += " G:";
        appendHex2(text, rec[16]);
        text += " Z:";
        appendHex2(text, rec[17]);
        appendHex2(text, rec[18]);
    } else {
        text.push_back(' ');
        text += eventName(code);
    }
    appendLimited(events_, std::move(text), options_.listLimit);
    ++eventsAdded_;
}

std::string MonitorModel::tenths(long long value) const {
    std::string out;
    if (value < 0) {
        out.push_back('-');
        value = -value;
    }
    out += std::to_string(value / 10);
    out.push_back(options_.decimalSeparator);
    out.push_back(static_cast<char>('0' + value % 10));
    return out;
}

void MonitorModel::statusLine(std::string_view rest) {
    splitStatusFields(rest, fields_);
    const auto& f = fields_;
    auto valid = [&](std::size_t i, std::uint32_t& v) {
        return i < f.size() && statusFieldValue(f[i], v);
    };
    auto unknown = [&](MonitorValue m) {
        val(m).text = "?";
        val(m).tooltip = "?";
    };
    // Shows a value with "0x"+field as tooltip, or "?" when the field is invalid.
    auto show = [&](MonitorValue m, std::size_t i, auto&& text) {
        std::uint32_t v = 0;
        if (!valid(i, v)) return unknown(m);
        val(m).tooltip.assign("0x").append(f[i]);
        val(m).text = text(v);
    };
    auto volts = [&](long long offsetTenths) {
        return [this, offsetTenths](std::uint32_t v) {
            return tenths(static_cast<long long>(v) + offsetTenths) + "V";
        };
    };
    auto celsius = [this](std::uint32_t v) {
        return tenths(static_cast<std::int16_t>(v & 0xFFFFu)) + " C";
    };

    show(MonitorValue::Line, 22,
         [](std::uint32_t v) { return std::string(v & 2u ? "Podniesiona" : "Opuszczona"); });
    show(MonitorValue::Ac, 1, volts(5));
    show(MonitorValue::Accu, 2, volts(10));
    show(MonitorValue::Analog3, 3, volts(0));
    show(MonitorValue::Analog4, 4, volts(0));

    // Field 6: GSM registration.
    {
        DisplayValue& creg = val(MonitorValue::Creg);
        std::uint32_t v = 0;
        if (valid(6, v)) {
            creg.tooltip = fromCp1250(f[6]);
            switch (v & 0xFFu) {
            case 0:
                creg = {"Brak", creg.tooltip, Colour::Red};
                break;
            case 1:
                creg = {"Połączony", creg.tooltip, Colour::Green};
                break;
            case 2:
                creg = {"Oczekiwanie...", creg.tooltip, Colour::Yellow};
                break;
            case 3:
                creg = {"Odmowa", creg.tooltip, Colour::Red};
                break;
            default:
                break;
            }
        } else {
            creg.text = "?";
            creg.colour = Colour::Black;
        }
    }

    // Field 7: signal level.
    {
        std::uint32_t v = 0;
        DisplayValue& csq = val(MonitorValue::Csq);
        if (f.size() > 7 && f[7] == "63") {
            csqGauge_.tooltip = "99";
            csqGauge_.value = 0;
            csq.text = "0%";
        } else if (valid(7, v)) {
            csqGauge_.tooltip = "0x" + f[7];
            csqGauge_.value = static_cast<int>(std::min<std::uint32_t>(v, 31));
            const std::uint32_t b = v & 0xFFu;
            csqGauge_.colour = b < 8 ? Colour::Red : b <= 16 ? Colour::Yellow : Colour::Lime;
            csq.text = std::to_string(csqGauge_.value * 100 / 31) + "%";
        } else {
            csqGauge_.tooltip = "?";
            csqGauge_.value = 0;
            csq.text = "?";
        }
    }

    show(MonitorValue::Gprs, 8,
         [](std::uint32_t v) { return std::string(v & 4u ? "TAK" : "NIE"); });
    show(MonitorValue::Apn, 9, [](std::uint32_t v) {
        const std::uint32_t b = v & 0xFFu;
        if (b <= 3) return std::string("Brak");
        return std::string(b == 8 ? "Połączony z serwerem" : "Połączony z APNem");
    });

    bool panelOn = false;
    show(MonitorValue::Centralka, 10, [&panelOn](std::uint32_t v) {
        panelOn = (v & 0xFFu) != 0;
        return std::string(panelOn ? "Włączona" : "Wyłączona");
    });

    // Fields 11, 13, 14: inputs, panel marks, lock marks.
    {
        std::uint32_t m = 0, p = 0;
        if (valid(11, m) && valid(13, p) && f.size() > 14) {
            m &= 0xFFFFu;
            p &= 0xFFFFu;
            const std::string& locks = f[14];
            const bool disarmed = (m & (1u << 4)) != 0;
            for (int i = 0; i < kMonitorInputs; ++i) {
                InputColumn& col = inputs_[static_cast<std::size_t>(i)];
                const bool noAlarm = (m >> i) & 1u;
                col.light = noAlarm ? InputLight::NoAlarm : InputLight::Alarm;
                col.tooltip = noAlarm ? "Brak alarmu na wejściu" : "Alarm na wejściu";
                col.panel = PanelMark::Blank;
                if (panelOn && disarmed) {
                    val(MonitorValue::Centralka).text = "Rozbrojona";
                    if (!((p >> i) & 1u)) col.panel = PanelMark::Cross;
                } else if (panelOn) {
                    val(MonitorValue::Centralka).text = "Uzbrojona";
                }
                const auto idx = static_cast<std::size_t>(i);
                col.lock =
                    idx < locks.size() && locks[idx] == '0' ? LockMark::Padlock : LockMark::Blank;
            }
        }
    }

    // Field 12: outputs.
    {
        std::uint32_t v = 0;
        if (valid(12, v)) {
            for (int j = 0; j < kMonitorOutputs; ++j) {
                const bool closed = (v >> j) & 1u;
                outputs_[static_cast<std::size_t>(j)] = {
                    closed ? OutputContact::Closed : OutputContact::Open,
                    closed ? "Przekaźnik zwarty" : "Przekaźnik rozwarty"};
            }
        }
    }

    // Fields 15, 16: event buffer fill.
    {
        std::uint32_t t = 0, h = 0;
        if (!valid(15, t)) t = 0;
        if (!valid(16, h)) h = 0;
        long long fill = static_cast<long long>(h) - static_cast<long long>(t);
        if (t > h) fill += 200;
        historyUsage_.value = static_cast<int>(std::clamp<long long>(fill, 0, 199));
    }

    show(MonitorValue::TestPeriod, 17, [](std::uint32_t v) { return std::to_string(v) + " min."; });
    show(MonitorValue::TLevel1, 18, celsius);
    show(MonitorValue::TLevel2, 19, celsius);
    if (sampleListener_) sampleListener_(sample());
}

StatusSample MonitorModel::sample() const {
    const auto& f = fields_;
    StatusSample s;
    auto tenthsOf = [&](std::size_t i, long long offset) -> std::int16_t {
        std::uint32_t v = 0;
        if (i >= f.size() || !statusFieldValue(f[i], v)) return StatusSample::kNoValue;
        return static_cast<std::int16_t>(
            std::clamp<long long>(static_cast<long long>(v) + offset, -32767, 32767));
    };
    auto celsius = [&](std::size_t i) -> std::int16_t {
        std::uint32_t v = 0;
        if (i >= f.size() || !statusFieldValue(f[i], v)) return StatusSample::kNoValue;
        const auto t = static_cast<std::int16_t>(v & 0xFFFFu);
        return t == StatusSample::kNoValue ? static_cast<std::int16_t>(-32767) : t;
    };
    auto at = [&](TrendSeries t) -> std::int16_t& { return s.values[static_cast<std::size_t>(t)]; };
    at(TrendSeries::Ac) = tenthsOf(1, 5);
    at(TrendSeries::Accu) = tenthsOf(2, 10);
    at(TrendSeries::Analog3) = tenthsOf(3, 0);
    at(TrendSeries::Analog4) = tenthsOf(4, 0);
    at(TrendSeries::Temp1) = celsius(18);
    at(TrendSeries::Temp2) = celsius(19);
    // The signal as the window shows it: the gauge's percentage, "?" when unknown.
    at(TrendSeries::Signal) = value(MonitorValue::Csq).text == "?"
                                  ? StatusSample::kNoValue
                                  : static_cast<std::int16_t>(csqGauge_.value * 100 / 31 * 10);
    s.inputsKnown = inputs_[0].light != InputLight::Unknown;
    for (int i = 0; i < kMonitorInputs; ++i)
        if (inputs_[static_cast<std::size_t>(i)].light == InputLight::Alarm)
            s.inputAlarms = static_cast<std::uint16_t>(s.inputAlarms | (1u << i));
    s.outputsKnown = outputs_[0].contact != OutputContact::Unknown;
    for (int j = 0; j < kMonitorOutputs; ++j)
        if (outputs_[static_cast<std::size_t>(j)].contact == OutputContact::Closed)
            s.outputsClosed = static_cast<std::uint8_t>(s.outputsClosed | (1u << j));
    return s;
}

} // namespace qv
