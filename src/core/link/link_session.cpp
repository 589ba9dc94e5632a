#include "link/link_session.hpp"

#include "common/cp1250.hpp"
#include "config/memmap.hpp"
#include "link/firmware.hpp"
#include "link/identification.hpp"

#include <algorithm>

namespace qv {

namespace {

using std::chrono::milliseconds;

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kPasswordOk = 0x0F;
constexpr std::uint8_t kConfigured = 'V';
constexpr std::uint8_t kIdentify = 'R';
constexpr std::uint8_t kStartApplication = '>';

const std::string kPortErrorMessage = kPortErrorPrefix;

struct BlockMode {
    std::uint8_t command;
    bool writes;
    const char* firstLine;
    const char* secondLine;
};

BlockMode blockMode(LinkMode mode) {
    switch (mode) {
    case LinkMode::writeConfig:
        return {'U', true, "Zapis konfiguracji", "Wysyłam konfigurację"};
    case LinkMode::readConfig:
        return {0x0F, false, "Odczyt konfiguracji", "Czytam konfigurację"};
    case LinkMode::readEvents:
        return {'f', false, "Odczyt bufora zdarzeń", "Czytam bufor zdarzeń"};
    case LinkMode::readPhoneBase:
        return {'w', false, "Odczyt bazy telefonów", "Czytam 4000 numerów telefonów"};
    case LinkMode::writePhoneBase:
        return {0x88, true, "Zapis bazy telefonów", "Zapisuję 4000 numerów telefonów"};
    default:
        return {0, false, "", ""};
    }
}

bool isBlockMode(LinkMode mode) {
    return blockLength(mode) > 0;
}

} // namespace

std::string waitingText(int waitedMs, int limitMs) {
    return "Oczekiwanie na odpowiedź urządzenia: " + std::to_string(waitedMs / 1000) + " s z " +
           std::to_string((limitMs + 999) / 1000) + " s";
}

int blockLength(LinkMode mode) {
    switch (mode) {
    case LinkMode::writeConfig:
    case LinkMode::readConfig:
        return kConfigLength;
    case LinkMode::readEvents:
        return kEventBufferLength;
    case LinkMode::readPhoneBase:
    case LinkMode::writePhoneBase:
        return kPhoneBaseLength;
    default:
        return 0;
    }
}

LinkSession::LinkSession(SerialPort& port, Clock& clock, LinkObserver& observer)
    : port_(port), clock_(clock), observer_(observer), eventBuffer_(kEventBufferLength, 0),
      phoneBase_(kPhoneBaseLength, 0) {}

int LinkSession::run(const SessionRequest& r) {
    sessionResult_ = -1;
    operationDone_ = false;
    identity_ = {};
    firmwareSize_ = 0;
    roundTrip_.clear();
    hintDecided_ = false;
    portFailure_.reset();
    portName_ = r.portName;
    observer_.gaugeValue(0);
    log("Proszę czekać...");
    log("Port: " + r.portName);
    if (prepare(r)) {
        try {
            talk(r);
        } catch (const std::exception& e) {
            // An operation that breaks off has not succeeded, even after its password step;
            // only a failure in the final reset leaves a finished one standing.
            if (!operationDone_) sessionResult_ = -1;
            const auto* portError = dynamic_cast<const PortError*>(&e);
            portFailure_ =
                portError ? portFailureFrom(r.portName, *portError, port_.isOpen())
                          : PortFailure{r.portName, e.what(), PortFault::other, port_.isOpen()};
            observer_.messageBox(kPortErrorMessage + r.portName);
            log(kPortErrorMessage + r.portName + " (" + e.what() + ")");
        }
    }
    if (roundTrip_.count() >= RoundTripMeter::kMinSamples) decideLatencyHint();
    port_.close();
    observer_.sessionEnded(sessionResult_);
    return sessionResult_;
}

// Everything that is checked before the port opens.
bool LinkSession::prepare(const SessionRequest& r) {
    const auto mode = static_cast<int>(r.mode);
    if (mode < 0 || mode == 1 || mode > static_cast<int>(LinkMode::writePhoneBase)) {
        log("Nieznany tryb transmisji: " + std::to_string(mode));
        return false;
    }
    if (isBlockMode(r.mode)) {
        const int full = blockLength(r.mode);
        length_ = r.transferLength == 0 ? full : r.transferLength;
        if (length_ < 1 || length_ > full) {
            log("Nieprawidłowa długość transferu: " + std::to_string(r.transferLength));
            return false;
        }
    }
    if (r.mode == LinkMode::writeCounters) {
        const CounterTextsCheck parsed = parseCounterTexts(r.counterTexts);
        if (!parsed.refusal.empty()) {
            log(parsed.refusal);
            return false;
        }
        countersToWrite_ = parsed.values;
    }
    if (r.mode == LinkMode::uploadFirmware) {
        firmware_.clear();
        const std::string path = firmwareFile_;
        if (!path.empty()) {
            auto loaded = loadFirmwareFile(path);
            if (loaded.tooLarge) {
                log("Plik firmware jest za duży - najwyżej " + std::to_string(kFirmwareMaxPadded) +
                    " bajtów.");
                return false;
            }
            if (loaded.ok) {
                firmware_ = std::move(loaded.bytes);
            } else {
                firmwareFile_.clear();
                log("Problem z wczytaniem pliku.");
            }
        }
        firmwareSize_ = firmware_.size();
        filePlatform_ = parseFirmwareFileName(path).platformByte();
    }
    return true;
}

void LinkSession::send(std::span<const std::uint8_t> bytes) {
    port_.write(bytes);
}

void LinkSession::noteRoundTrip(Clock::Duration d) {
    roundTrip_.add(d);
    if (roundTrip_.full()) decideLatencyHint();
}

// Once a session: tells the technician when the adapter, not the line, sets the pace.
void LinkSession::decideLatencyHint() {
    if (hintDecided_) return;
    hintDecided_ = true;
    const auto median = roundTrip_.median();
    if (!median || !roundTripIsSlow(*median)) return;
    AdapterDescription adapter;
    adapter.port = portName_;
    if (tuner_) adapter = tuner_->describe(portName_);
    if (const auto hint = latencyHint(*median, adapter)) observer_.latencyHint(*hint);
}

void LinkSession::resetPulse(bool reverse) {
    port_.setRts(!reverse);
    clock_.sleepFor(milliseconds(400));
    port_.purge(true, true);
    clock_.sleepFor(milliseconds(100));
    port_.setRts(reverse);
}

// Reads one byte by the wait's deadline. The port is waited on in steps, so a long wait can
// be shown as it goes and the line events are taken as they come.
std::optional<std::uint8_t> LinkSession::readByteWithin(Wait& wait) {
    const auto deadline = wait.start + wait.limit;
    for (;;) {
        std::uint8_t b = 0;
        if (port_.readAvailable(std::span<std::uint8_t>(&b, 1)) == 1) return b;
        auto now = clock_.now();
        if (now >= deadline) return std::nullopt;
        port_.waitReadable(std::min<Clock::Duration>(deadline - now, kWaitStep));
        noteLineEvents();
        now = clock_.now();
        if (now - wait.start >= kWaitShownAfter) {
            using std::chrono::duration_cast;
            const auto waited = std::min(now - wait.start, wait.limit);
            observer_.waitProgress(
                static_cast<int>(duration_cast<milliseconds>(waited).count()),
                static_cast<int>(duration_cast<milliseconds>(wait.limit).count()));
            wait.shown = true;
        }
    }
}

void LinkSession::endWait(Wait& wait) {
    if (wait.shown) observer_.waitEnded();
    wait.shown = false;
}

std::optional<std::uint8_t> LinkSession::readByte(Clock::Duration timeout) {
    Wait wait = beginWait(timeout);
    const auto b = readByteWithin(wait);
    endWait(wait);
    return b;
}

bool LinkSession::waitFor(std::uint8_t wanted, Clock::Duration timeout) {
    Wait wait = beginWait(timeout);
    std::optional<std::uint8_t> b;
    do {
        b = readByteWithin(wait);
    } while (b && *b != wanted);
    endWait(wait);
    return b.has_value();
}

void LinkSession::noteLineEvents() {
    const PortLineEvents events = port_.takeLineEvents();
    if (events.receiveBuffer80Full) log("Rx80FULL!!!");
    if (events.breakReceived) log("BREAK!!!");
}

void LinkSession::talk(const SessionRequest& r) {
    port_.open(r.portName);
    port_.setBaudRate(kLinkBaudRate);
    port_.setReadBufferSize(kLinkReadBufferSize);
    port_.purge(true, true);
    resetPulse(r.reverseReset);

    auto handshakeAndTransfer = [&] {
        // The first byte after the restart; a 0 byte counts as nothing.
        Wait firstByte = beginWait(kWaitForTimeout);
        std::optional<std::uint8_t> b;
        do {
            b = readByteWithin(firstByte);
        } while (b && *b == 0);
        endWait(firstByte);
        if (!b) {
            log("Brak odpowiedzi po restarcie !");
            return;
        }
        resetPulse(r.reverseReset);
        if (!waitFor(kStx, kWaitForTimeout)) {
            log("Błędna odpowiedź po restarcie (STX) !");
            return;
        }
        clock_.sleepFor(milliseconds(5));
        port_.purge(true, true);
        sendByte(kIdentify);
        // The answer is read after 300 ms; when its first byte came is one round trip.
        const auto asked = clock_.now();
        constexpr auto kIdentificationTime = milliseconds(300);
        if (port_.waitReadable(kIdentificationTime)) noteRoundTrip(clock_.now() - asked);
        const auto passed = clock_.now() - asked;
        if (passed < kIdentificationTime) clock_.sleepFor(kIdentificationTime - passed);

        std::string raw;
        std::array<std::uint8_t, 256> chunk{};
        while (std::size_t n = port_.readAvailable(chunk)) {
            raw.append(reinterpret_cast<const char*>(chunk.data()), n);
            if (raw.size() > 4096) break; // an identification is a few dozen bytes
        }
        port_.purge(true, true);
        const std::string filtered = filterIdentification(raw);
        if (filtered.empty()) {
            log("Brak identyfikacji urządzenia !");
            return;
        }
        identity_ = parseIdentification(filtered);
        for (const auto& line : identificationLogLines(identity_))
            log(line);
        if (!r.expectedSerial.empty() && identity_.serialNumber != r.expectedSerial) {
            const std::string refusal =
                otherModuleMessage(identity_.serialNumber, r.expectedSerial, r.mode);
            log(refusal);
            observer_.messageBox(refusal);
            return;
        }
        if (!checkCompatibility(r.mode)) return;

        if (r.mode == LinkMode::identify) {
            log("Koniec.");
            sessionResult_ = 1;
        }
        if (r.mode == LinkMode::uploadFirmware) {
            uploadFirmware();
            return;
        }
        sendByte(kStartApplication);
        switch (r.mode) {
        case LinkMode::erasePassword:
            erasePassword();
            break;
        case LinkMode::readCounters:
            readCounters();
            break;
        case LinkMode::writeCounters:
            writeCounters();
            break;
        case LinkMode::identify:
            break;
        default:
            blockTransfer(r);
            break;
        }
    };
    handshakeAndTransfer();
    operationDone_ = sessionResult_ == 1;

    clock_.sleepFor(milliseconds(50));
    resetPulse(r.reverseReset);
    noteLineEvents();
}

bool LinkSession::checkCompatibility(LinkMode mode) {
    if (!bootloaderIsChecked(toCp1250(identity_.bootLoaderId))) return true;
    bool error = false;
    const int fw = identity_.firmwareVersion;
    const int sub = identity_.subVersion;
    const int platform = identity_.platform;
    log("Platforma        : " + std::to_string(platform));
    if (fw > 0) {
        log("SUBEWRSJA        : " + std::to_string(sub));
        log("FirmWare         : " + std::to_string(fw));
        if (sub != 3 && (mode == LinkMode::readCounters || mode == LinkMode::writeCounters)) {
            log("Błąd: wgrany do urządzenia firmware nie obsluguje tej funcji");
            log("Błąd: skontaktuj się z producentem - Vorkal");
            error = true;
        }
        // The counter firmware answers "w" with its counters and has no phone base at all.
        if (sub == 3 && (mode == LinkMode::readPhoneBase || mode == LinkMode::writePhoneBase)) {
            log("Błąd: firmware urządzenia nie ma bazy 4000 numerów telefonów (subwersja 3)");
            log("Podpowiedź: bazę numerów obsługuje firmware z subwersją 4.");
            error = true;
        }
        if (static_cast<int>(mode) > 2) {
            if (sub < 2) log("Błąd: wykonaj upgrade firmwaru urządzenia!!!");
            if (fw < 3) log("Błąd: wykonaj upgrade firmwaru urządzenia!!!");
        }
    }
    if (!platformIsSupported(platform)) {
        log("Błąd: niezgodność wersji sprzętu!!!");
        error = true;
    }
    if (mode == LinkMode::uploadFirmware && filePlatform_ != platform) {
        log("Błąd: platforma docelowa firmwaru nie zgadza sie z podlaczonym urzadzeniem!!!");
        log(std::to_string(filePlatform_) + "<>" + std::to_string(platform));
        error = true;
    }
    return !error;
}

void LinkSession::blockTransfer(const SessionRequest& r) {
    const BlockMode m = blockMode(r.mode);
    const auto length = static_cast<std::size_t>(length_);
    log(m.firstLine);
    if (!waitFor(kEtx, kWaitForTimeout)) {
        log("Błąd wyjścia z bootloadera!");
        return;
    }
    status_.configFlag = readByte(kReadTimeout).value_or(0);
    status_.second = readByte(kReadTimeout).value_or(0);
    status_.eventPosition = readByte(kReadTimeout).value_or(0);
    log("Start");

    std::string command(1, static_cast<char>(m.command));
    command += toCp1250(r.password).substr(0, 4);
    port_.write(command);
    const auto answer = readByte(kReadTimeout);
    observer_.gaugeMaximum(length_);
    if (status_.configFlag != kConfigured && !m.writes) {
        log("Pusta konfiguracja/historia modułu - nie można jej odczytać !");
        log("Podpowiedź: Moduł należy najpierw zaprogramować, by mógł być odczytywany.");
        return;
    }
    if (answer != kPasswordOk) {
        log("Hasło niepoprawne.");
        return;
    }
    log("Hasło poprawne");
    log(m.secondLine);
    sessionResult_ = 1;

    // The bytes that go out, 1-based as on the wire: the data of a write, or in a read whatever
    // the target holds (the module only counts them). Answers of a read go to scratch space and
    // replace the target only when the whole block has arrived.
    std::uint8_t* target = nullptr;
    switch (r.mode) {
    case LinkMode::writeConfig:
    case LinkMode::readConfig:
        target = configImage_.data();
        break;
    case LinkMode::readEvents:
        target = eventBuffer_.data();
        break;
    default:
        target = phoneBase_.data();
        break;
    }
    std::vector<std::uint8_t> buffer(length + 1, 0);
    std::copy(target, target + length, buffer.begin() + 1);
    std::vector<std::uint8_t> received = buffer;

    // Checks or keeps the answer to byte s; false stops the transfer.
    auto takeAnswer = [&](std::uint8_t a, std::size_t s, std::size_t i) {
        if (m.writes) {
            if (r.verify && a != buffer[s]) {
                sessionResult_ = -1;
                const int shown = i <= length ? buffer[i] : 0;
                log("Błąd transmisji - spróbuj jeszcze raz. [" + std::to_string(a) +
                    "!=" + std::to_string(shown) + "@" + std::to_string(i) + "]");
                return false;
            }
        } else {
            received[s] = a;
        }
        observer_.gaugeValue(static_cast<int>(std::min(i, length)));
        return true;
    };

    std::size_t i = 1; // the byte that goes out
    std::size_t s = 1; // the byte the next answer belongs to
    bool ok = true;
    while (ok && i <= length) {
        const auto sent = clock_.now();
        sendByte(buffer[i]);
        auto a = readByte(kBlockByteTimeout);
        if (a) noteRoundTrip(clock_.now() - sent);
        if (!a) {
            // The module may only be slow: send the next byte and give it 5 s more. Its late
            // answer belongs to the earlier byte, so answers then run one behind.
            ++i;
            if (i <= length) sendByte(buffer[i]);
            log("Trick @ " + std::to_string(i));
            a = readByte(kReadTimeout);
            if (!a) {
                sessionResult_ = -1;
                log("Timeout podczas transmisji!!!");
                break;
            }
        }
        ok = takeAnswer(*a, s, i);
        ++i;
        ++s;
    }
    // After a late answer the last answers are still on their way.
    while (ok && sessionResult_ == 1 && s <= length) {
        const auto a = readByte(kReadTimeout);
        if (!a) {
            sessionResult_ = -1;
            log("Timeout podczas transmisji!!!");
            break;
        }
        ok = takeAnswer(*a, s, length);
        ++s;
    }
    if (sessionResult_ != 1) return;

    const std::string n = std::to_string(i - 1);
    if (m.writes) {
        log("Zapisano poprawnie " + n + "bajtów");
        return;
    }
    std::copy(received.begin() + 1, received.end(), target);
    log("Odczytano " + n + "bajtów");
    if (r.mode == LinkMode::readConfig) {
        log("Data programowania urządzenia: " +
            configImage_.getTextField(memmap::oPROG_DATE, memmap::wPROG_DATE));
        log("Nazwa pliku konfiguracji: " +
            configImage_.getTextField(memmap::oFILE_NAME, memmap::wFILE_NAME));
    }
}

void LinkSession::erasePassword() {
    log("Kasowanie hasła i konfiguracji");
    if (!waitFor(kEtx, kWaitForTimeout)) {
        log("Błąd wyjścia z bootloadera!!!");
        return;
    }
    status_.configFlag = readByte(kReadTimeout).value_or(0);
    port_.purge(true, true);
    clock_.sleepFor(milliseconds(500));
    sendByte(0xCC);
    if (waitFor(kAck, kWaitForTimeout)) {
        sessionResult_ = 1;
        log("Hasło zostało skasowane...");
    } else {
        log("Błąd kasowania hasła z urządzenia!!!");
    }
}

// The counter exchanges begin alike: ETX from the application, "Start", a quiet line for
// 500 ms, then the command byte.
bool LinkSession::beginCounterExchange(const char* title, std::uint8_t command) {
    log(title);
    if (!waitFor(kEtx, kWaitForTimeout)) {
        log("Błąd wyjścia z bootloadera!!!");
        return false;
    }
    log("Start");
    port_.purge(true, true);
    clock_.sleepFor(milliseconds(500));
    sendByte(command);
    return true;
}

void LinkSession::readCounters() {
    if (!beginCounterExchange("Odczyt liczników wejsc", 'w')) return;
    waitFor(kAck, kWaitForTimeout); // the module acknowledges the command; not checked
    CounterBytes bytes{};
    for (auto& b : bytes) {
        const auto got = readByte(kReadTimeout);
        if (!got) {
            log("Błąd odczytu liczników!!!");
            return;
        }
        b = *got;
    }
    if (!waitFor(kAck, kWaitForTimeout)) {
        log("Błąd odczytu liczników!!!");
        return;
    }
    sessionResult_ = 1;
    counters_ = decodeCounters(bytes);
    log("Liczniki wejsc:");
    for (std::size_t n = 0; n < counters_.size(); ++n)
        log("Wejscie " + std::to_string(n + 1) + " : " + std::to_string(counters_[n]));
}

void LinkSession::writeCounters() {
    if (!beginCounterExchange("Zapis liczników wejsc", 0x7F)) return;
    const CounterBytes bytes = encodeCounters(countersToWrite_);
    send(bytes);
    if (waitFor(kAck, kWaitForTimeout)) {
        sessionResult_ = 1;
        log("Zapisane - odczytaj je jeszcze raz w celu sprawdzenia");
    } else {
        log("Błąd zapisu liczników!!!");
    }
}

void LinkSession::uploadFirmware() {
    log("Rozmiar pliku: " + std::to_string(firmwareSize_) + " Bytes");
    const std::size_t size = paddedFirmwareSize(firmware_.size());
    firmware_.resize(size, 0); // padding is zeros
    log("Rozmiar pliku mod: " + std::to_string(size) + " Bytes");
    if (size == 0) {
        log("Nie wybrano pliku do załadowania lub plik jest pusty");
        return;
    }
    port_.purge(true, true);
    port_.write(toCp1250(identity_.magicChar) + "B");
    observer_.gaugeMaximum(static_cast<int>(size) - 1);
    bool ok = true;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = firmware_[i];
        const auto sent = clock_.now();
        sendByte(highNibbleChar(b));
        sendByte(lowNibbleChar(b));
        const auto echo = readByte(kReadTimeout);
        if (echo) noteRoundTrip(clock_.now() - sent);
        if (!echo) {
            log("Timeout podczas transmisji !!!");
            ok = false;
            break;
        }
        if (*echo != b) {
            log("[" + std::to_string(i) + "] " + std::to_string(b) + " <> " +
                std::to_string(*echo));
            ok = false;
            break;
        }
        observer_.gaugeValue(static_cast<int>(i));
    }
    if (ok) {
        clock_.sleepFor(milliseconds(10));
        port_.write(std::string("EE"));
        log("Aktualizacja zakończona pomyślnie!");
        sessionResult_ = 1;
        clock_.sleepFor(milliseconds(300));
    } else {
        log("Błąd transmisji !!!! ");
        log("Spróbuj jeszcze raz.");
    }
}

} // namespace qv
