#pragma once
// The simulated module: its bootloader and application as seen from the serial line. It is a
// discrete-event model driven by the port: bytes from the program arrive after their wire
// time, answers are scheduled with theirs (115200 baud, 10 bits a byte), and internal timers
// (bootloader idle time, password gap, command window) fire in time order. It never reads a
// clock itself: the port passes the current time into every call, so the same model runs on
// the virtual clock (tests, the command line) or on the real one (wire-time emulation).
#include "common/clock.hpp"
#include "sim/application_stream.hpp"
#include "sim/sim_memory.hpp"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace qv {

struct SimFaults {
    bool silent = false;         // never sends a byte
    bool zeros = false;          // every byte it sends is 0
    bool noStx = false;          // its bootloader greets with a byte other than STX
    bool noiseBeforeStx = false; // its bootloader sends two other bytes before STX
    bool noEtx = false;          // its application never sends ETX and the status bytes
    bool deaf = false;           // its application ignores every command byte
    int lateByte = 0;            // the answer to block byte N (1-based) comes 1 s late
    int badEchoByte = 0;         // the answer to block byte N is wrong
    int stopAtByte = 0;          // no answer from block byte N on
    int corruptOffset = -1;      // a configuration write stores this image offset's byte
                                 // inverted (its echo is right)
};

struct SimOptions {
    // The bootloader's answer to "R".
    std::string identification = "X/B/NAME_0503/2392123";
    SimFaults faults;
    // Every byte the module sends is held this long on its way, as a USB-serial adapter with a
    // latency timer holds what it receives before it passes it on.
    Clock::Duration adapterLatency{};
};

class SimModule {
  public:
    using TimePoint = Clock::TimePoint;
    using Duration = Clock::Duration;

    // Wire time of one byte at 115200 baud (10 bits).
    static constexpr Duration kByteTime = std::chrono::nanoseconds(86806);
    static constexpr Duration kBootDelay = std::chrono::microseconds(200);
    static constexpr Duration kBootloaderIdle = std::chrono::seconds(1);
    static constexpr Duration kCommandWindow = std::chrono::seconds(1);
    static constexpr Duration kPasswordGap = std::chrono::milliseconds(2);
    static constexpr Duration kLateAnswer = std::chrono::seconds(1);

    explicit SimModule(SimMemory memory = SimMemory::fresh(), SimOptions options = {});

    // Line side, called by the port.
    void setReset(bool asserted, TimePoint now);
    void receive(std::span<const std::uint8_t> bytes, TimePoint now);
    // Moves the model on to now and copies bytes that have arrived by then.
    std::size_t read(std::span<std::uint8_t> out, TimePoint now);
    bool hasByte(TimePoint now);
    // Drops the bytes that have arrived by now and were not read.
    void purgeReceived(TimePoint now);
    // The time of the next thing that can make a byte arrive, when known.
    std::optional<TimePoint> nextEvent(TimePoint now);

    SimMemory& memory() { return memory_; }
    const SimMemory& memory() const { return memory_; }
    SimOptions& options() { return options_; }
    const SimOptions& options() const { return options_; }
    // Firmware sub-version from the identification: 3 serves counters, 4 the phone base with "w".
    int subVersion() const;
    void setApplicationStream(std::shared_ptr<ApplicationStream> stream) {
        stream_ = std::move(stream);
    }
    // Bytes the module received from the program, in order (for tests of the wire).
    const std::string& receivedLog() const { return receivedLog_; }
    void clearReceivedLog() { receivedLog_.clear(); }
    // Its reset input, for tests of the session frame: how often it was asserted, whether a
    // byte arrived after the last time, and whether it is held now.
    int resetCount() const { return resetCount_; }
    bool heardSinceReset() const { return heardSinceReset_; }
    bool inReset() const { return phase_ == Phase::reset; }

  private:
    enum class Phase {
        reset,
        bootloader,
        upload,
        uploadDone,
        appCommands, // application started, waiting for a command byte
        appPassword,
        appBlock,
        appCounterWrite,
        appStreaming,
        dead, // stopped answering until the next reset
    };
    enum class Block { none, writeConfig, readConfig, readEvents, readPhoneBase, writePhoneBase };
    struct OutByte {
        TimePoint at;
        std::uint8_t value;
    };

    void advanceTo(TimePoint t);
    std::optional<TimePoint> nextTimer() const;
    void fireTimer();
    void handleByte(std::uint8_t b);
    void bootloaderByte(std::uint8_t b);
    void uploadByte(std::uint8_t b);
    void applicationByte(std::uint8_t b);
    void blockByte(std::uint8_t b);
    void passwordDone();
    void startApplication();
    void startStreaming();
    void emit(std::string_view bytes, Duration delay = Duration::zero());
    void emitByte(std::uint8_t b, Duration delay = Duration::zero());
    void answerBlockByte(std::uint8_t value);
    std::size_t blockLength() const;

    SimMemory memory_;
    SimOptions options_;
    std::shared_ptr<ApplicationStream> stream_;

    Phase phase_ = Phase::reset;
    TimePoint now_{};          // model time: everything up to it has been processed
    TimePoint hostTxFree_{};   // when the program's last byte has fully arrived
    TimePoint moduleTxFree_{}; // when the module's last byte has fully left
    TimePoint phaseTimer_{};   // bootloader idle end, password gap end, command window end
    bool timerArmed_ = false;
    TimePoint streamStart_{};
    std::deque<OutByte> out_;
    std::string recent_;   // bootloader: the last bytes, to spot magic + "B"
    std::string password_; // password bytes being collected
    Block block_ = Block::none;
    std::size_t blockCount_ = 0; // block bytes received in this transfer
    std::uint8_t pendingNibble_ = 0;
    bool haveNibble_ = false;
    int uploadEs_ = 0;
    std::string counterBytes_;
    std::string receivedLog_;
    int resetCount_ = 0;
    bool heardSinceReset_ = false;
};

} // namespace qv
