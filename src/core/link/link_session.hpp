#pragma once
// One device session: open the port, restart the module through RTS, meet its bootloader,
// read and check its identification, then upload firmware or start the application and run
// one transfer, and restart the module again.
//
// A plain synchronous function over a SerialPort, a Clock and a LinkObserver: every wait
// blocks on the port with a deadline. The GUI runs it on a worker thread, the command line
// directly. The session owns the buffers it fills or sends; a read that fails leaves them as
// they were. A port error ends the session at once, as a failure unless the operation had
// already finished.
#include "common/clock.hpp"
#include "config/config_image.hpp"
#include "link/counters.hpp"
#include "link/link_types.hpp"
#include "link/port_failure.hpp"
#include "link/round_trip.hpp"
#include "link/serial_port.hpp"

#include <optional>
#include <string>
#include <vector>

namespace qv {

class LinkSession {
  public:
    // Time-outs of the single-byte reads and of waiting for a given byte.
    static constexpr auto kReadTimeout = std::chrono::milliseconds(5000);     // readCom
    static constexpr auto kBlockByteTimeout = std::chrono::milliseconds(800); // readCom2
    static constexpr auto kWaitForTimeout = std::chrono::milliseconds(10000); // waitFor
    // A wait for the module is reported to the observer once it has lasted this long, and
    // then at every step.
    static constexpr auto kWaitShownAfter = std::chrono::milliseconds(1000);
    static constexpr auto kWaitStep = std::chrono::milliseconds(100);

    LinkSession(SerialPort& port, Clock& clock, LinkObserver& observer);

    // Runs one whole session and returns sessionResult (1 success, -1 failure).
    int run(const SessionRequest& request);

    int sessionResult() const { return sessionResult_; }
    const DeviceIdentity& identity() const { return identity_; }
    const StatusBytes& statusBytes() const { return status_; }

    // writeConfig sends this image; readConfig replaces it on success.
    ConfigImage& configImage() { return configImage_; }
    const ConfigImage& configImage() const { return configImage_; }
    // readEvents fills this (200 records of 40 bytes) on success.
    const std::vector<std::uint8_t>& eventBuffer() const { return eventBuffer_; }
    // writePhoneBase sends it; readPhoneBase replaces it on success (32300 bytes).
    std::vector<std::uint8_t>& phoneBase() { return phoneBase_; }
    const std::vector<std::uint8_t>& phoneBase() const { return phoneBase_; }
    // readCounters fills these on success.
    const CounterValues& counters() const { return counters_; }

    // The firmware file of uploadFirmware; kept between sessions, cleared when loading fails.
    void setFirmwareFile(std::string path) { firmwareFile_ = std::move(path); }
    const std::string& firmwareFile() const { return firmwareFile_; }
    // Size of the firmware file loaded by the last upload session.
    std::size_t firmwareFileSize() const { return firmwareSize_; }

    // Describes the port's adapter for the latency hint (none: the hint names no adapter).
    void setAdapterTuner(AdapterTuner* tuner) { tuner_ = tuner; }
    // The echo round trips of the last session: the answer to "R" and the first block bytes.
    const RoundTripMeter& roundTrip() const { return roundTrip_; }
    // The port failure that ended the last session, when one did: what explainPortFailure
    // (with the platform's facts) turns into what the user should do.
    const std::optional<PortFailure>& portFailure() const { return portFailure_; }

  private:
    enum class Stop { none, end }; // "end" skips to the final reset

    void log(const std::string& line) { observer_.logLine(line); }
    bool prepare(const SessionRequest& r);
    void talk(const SessionRequest& r);
    // One wait for the module's answer, which may span several bytes (waitFor).
    struct Wait {
        Clock::TimePoint start;
        Clock::Duration limit;
        bool shown = false; // reported to the observer
    };

    void resetPulse(bool reverse);
    Wait beginWait(Clock::Duration limit) const { return {clock_.now(), limit}; }
    void endWait(Wait& wait);
    std::optional<std::uint8_t> readByteWithin(Wait& wait);
    std::optional<std::uint8_t> readByte(Clock::Duration timeout);
    bool waitFor(std::uint8_t wanted, Clock::Duration timeout);
    void noteLineEvents();
    bool checkCompatibility(LinkMode mode);
    void blockTransfer(const SessionRequest& r);
    void erasePassword();
    bool beginCounterExchange(const char* title, std::uint8_t command);
    void readCounters();
    void writeCounters();
    void uploadFirmware();
    void send(std::span<const std::uint8_t> bytes);
    void sendByte(std::uint8_t b) { send(std::span<const std::uint8_t>(&b, 1)); }
    void noteRoundTrip(Clock::Duration d);
    void decideLatencyHint();

    SerialPort& port_;
    Clock& clock_;
    LinkObserver& observer_;

    int sessionResult_ = -1;
    bool operationDone_ = false; // the mode's exchange ran to its successful end
    DeviceIdentity identity_;
    StatusBytes status_;
    ConfigImage configImage_;
    std::vector<std::uint8_t> eventBuffer_;
    std::vector<std::uint8_t> phoneBase_;
    CounterValues counters_{};

    std::string firmwareFile_;
    std::vector<std::uint8_t> firmware_;
    std::size_t firmwareSize_ = 0;
    std::uint8_t filePlatform_ = 255;
    CounterValues countersToWrite_{};
    int length_ = 0;

    AdapterTuner* tuner_ = nullptr;
    RoundTripMeter roundTrip_;
    bool hintDecided_ = false;
    std::string portName_;
    std::optional<PortFailure> portFailure_;
};

// The mode's full block length (0 for modes without a block).
int blockLength(LinkMode mode);

// What the link window shows while a session waits for the module:
// "Oczekiwanie na odpowiedź urządzenia: 3 s z 10 s" (whole seconds waited, and the limit).
std::string waitingText(int waitedMs, int limitMs);

} // namespace qv
