#pragma once
// The request, the results and the observer of one device session.
#include <array>
#include <cstdint>
#include <string>

namespace qv {

struct LatencyHint;

// What a session does after the handshake. There is no mode 1.
enum class LinkMode : std::uint8_t {
    identify = 0,
    uploadFirmware = 2,
    writeConfig = 3,
    readConfig = 4,
    erasePassword = 5,
    readEvents = 6,
    readCounters = 7,
    writeCounters = 8,
    readPhoneBase = 9,
    writePhoneBase = 10,
};

// Lengths of the block transfers.
inline constexpr int kConfigLength = 5120;
inline constexpr int kEventBufferLength = 8000;
inline constexpr int kPhoneBaseLength = 32300;
inline constexpr int kCounterCount = 5;

struct SessionRequest {
    LinkMode mode = LinkMode::identify;
    std::string portName;
    // The module password (UTF-8, at most 4 characters; longer texts are cut to 4). Sent after
    // the command byte of the block modes; an empty password sends nothing.
    std::string password;
    // Bytes of a block transfer; 0 takes the mode's full length. Must not exceed it.
    int transferLength = 0;
    // The main window's "Weryfikuj transmisję": compare every echo of a block write.
    bool verify = true;
    // Inverts the levels of the reset pulse on RTS.
    bool reverseReset = false;
    // The serial number of the module the caller means (the one whose configuration it showed
    // before a write); empty: any module. Another module that answers ends the session right
    // after its identification, before any byte of the operation is sent.
    std::string expectedSerial;
    // writeCounters: the five counters as decimal texts (input 1 first).
    std::array<std::string, kCounterCount> counterTexts{};
};

// The module's identification, cleared at the start of every session.
struct DeviceIdentity {
    std::string text;         // the whole answer as filtered, every field with its "/"
    std::string magicChar;    // field 1
    std::string bootLoaderId; // field 2
    std::string modelString;  // field 3 (the whole text when there are fewer than 3 fields)
    std::string serialNumber; // field 4
    std::string modelName;    // modelString before its first "_"
    int firmwareVersion = -1;
    int subVersion = -1;
    int platform = -1;
};

// The three bytes the module's application sends after ETX.
struct StatusBytes {
    std::uint8_t configFlag = 0; // 'V' when the module holds a configuration
    std::uint8_t second = 0;
    std::uint8_t eventPosition = 0; // ring position of the event buffer
};

// What a running session reports. The GUI forwards these to the link window from its worker
// thread; the command line prints them.
class LinkObserver {
  public:
    virtual ~LinkObserver() = default;
    virtual void logLine(const std::string& text) = 0;
    virtual void gaugeMaximum(int) {}
    virtual void gaugeValue(int) {}
    // A message box with an empty title and an error icon.
    virtual void messageBox(const std::string&) {}
    // The end of every session, success or not (the "DING" sound).
    virtual void sessionEnded(int /*sessionResult*/) {}
    // A wait for the module that has lasted a while: reported about every 100 ms with the time
    // waited and the wait's limit, then waitEnded() once an answer came or the limit passed.
    virtual void waitProgress(int /*waitedMs*/, int /*limitMs*/) {}
    virtual void waitEnded() {}
    // The echo round trip is far slower than the line needs (a USB adapter holding bytes):
    // reported at most once a session, in addition to the log lines.
    virtual void latencyHint(const LatencyHint&) {}
};

} // namespace qv
