#pragma once
// The live monitor of a running module: the module sends text lines on its own (status line
// once a second, event lines, reset cause, modem lines). MonitorModel turns the received bytes
// into lines, the lines into displayed values, and tells the window what else it must do.
#include "common/clock.hpp"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// What a displayed value or gauge is drawn in; the window maps these to its own colours.
enum class Colour { Default, Black, Red, Green, Yellow, Lime };

struct DisplayValue {
    std::string text; // UTF-8
    std::string tooltip;
    Colour colour = Colour::Default;
    bool operator==(const DisplayValue&) const = default;
};

// The displayed values, in the order the window lists them.
enum class MonitorValue {
    Ac,
    Accu,
    Analog3,
    Analog4,
    TLevel1,
    TLevel2,
    Sim,
    Creg,
    Csq,
    Gprs,
    Apn,
    ResetCause,
    TestPeriod,
    DateTime,
    Centralka,
    Line,
    Count
};
inline constexpr std::size_t kMonitorValueCount = static_cast<std::size_t>(MonitorValue::Count);

// Control name and caption of each displayed value.
std::string_view monitorValueName(MonitorValue v);
std::string_view monitorValueCaption(MonitorValue v);

struct Gauge {
    int value = 0;
    int max = 0;
    std::string tooltip;
    Colour colour = Colour::Default;
};

enum class InputLight { Unknown, Alarm, NoAlarm };
enum class PanelMark { Blank, Cross };
enum class LockMark { Blank, Padlock };
enum class OutputContact { Unknown, Closed, Open };

inline constexpr int kMonitorInputs = 15;
inline constexpr int kMonitorOutputs = 5;
inline constexpr int kTagRows = 20;

struct InputColumn {
    InputLight light = InputLight::Unknown;
    std::string tooltip = "Brak danych";
    PanelMark panel = PanelMark::Blank;
    LockMark lock = LockMark::Blank;
};

struct OutputIndicator {
    OutputContact contact = OutputContact::Unknown;
    std::string tooltip = "Brak danych";
};

std::string_view inputCaption(int column);  // "TEST", "  AC", ... "Ex 6"
std::string_view outputCaption(int output); // "  Wyjscie 1", "Wyjscie 1(Ex)", ...

struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The colour values the window paints with (Default: the toolkit's own text colour, black).
constexpr Rgb rgbOf(Colour c) {
    switch (c) {
    case Colour::Red:
        return {255, 0, 0};
    case Colour::Green:
        return {0, 128, 0};
    case Colour::Yellow:
        return {255, 255, 0};
    case Colour::Lime:
        return {0, 255, 0};
    case Colour::Default:
    case Colour::Black:
        break;
    }
    return {0, 0, 0};
}

// Things the window must do besides showing the state.
enum class MonitorEffectKind {
    PlayRing,          // an incoming call: play the "Ring" sound
    CloseForBadPin,    // the module stopped on a wrong PIN: close the window (bad-PIN stop)
    ClockSyncEnabled,  // the SIM is ready: "Synchronizuj czas" may be used
    ClockSyncDisabled, // after a display reset
    ResetLogged,       // text: a line appended to the resets window
    SilenceMessage,    // text: the 120-second message; call silenceMessageDismissed() after it
};

struct MonitorEffect {
    MonitorEffectKind kind;
    std::string text;
    bool operator==(const MonitorEffect&) const = default;
};

// The measured values a status line brings, as the display shows them after the line: the
// trend view and the CSV export keep these.
enum class TrendSeries { Ac, Accu, Analog3, Analog4, Temp1, Temp2, Signal, Count };
inline constexpr std::size_t kTrendSeriesCount = static_cast<std::size_t>(TrendSeries::Count);

struct StatusSample {
    static constexpr std::int16_t kNoValue = -32768;
    // Tenths of a volt or of a degree, the signal level in tenths of a percent; kNoValue where
    // the display shows "?".
    std::array<std::int16_t, kTrendSeriesCount> values{};
    std::uint16_t inputAlarms = 0; // bit i: input column i shows an alarm
    std::uint8_t outputsClosed = 0;
    bool inputsKnown = false;  // the input columns show a state (not the question mark)
    bool outputsKnown = false; // likewise the outputs
    bool operator==(const StatusSample&) const = default;
};

inline constexpr std::string_view kResetMarker =
    "======================= RESET =====================";
inline constexpr std::string_view kSilenceMessage =
    "Przez 120 sekund nie nadeszły żadne dane z urządzenia. Sprawdź zasilanie i podłączenie do PC.";
inline constexpr std::string_view kBadPinMessage =
    "UWAGA: WYKRYTO, ŻE KONFIGURACJA ZAWIERA BŁĘDNY PIN !!! Moduł został w tej chwili "
    "zatrzymany. Należy odłączyć od niego zasilanie, poprawić PIN, podłączyć zasilanie i wgrać "
    "konfigurację od nowa.";
inline constexpr std::string_view kWaitBannerText = "Oczekiwanie na dane";
inline constexpr std::string_view kConfigBannerText = " Urządzenie nie jest skonfigurowane !";
inline constexpr std::string_view kMonitorCaption = "Monitor pracy urządzenia";
inline constexpr std::string_view kInputsGroupCaption =
    " Stany wejść (pokazywane wprost - bez uwzględnienia opóźnień wynikających z czasów wejsc) ";
inline constexpr std::string_view kOutputsGroupCaption = " Stany wyjść ";
inline constexpr std::string_view kEventsGroupCaption = " Zdarzenia ";
inline constexpr std::string_view kHistoryUsageCaption = "Zapełnienie bufora zdarzeń:";

class MonitorModel {
  public:
    struct Options {
        char decimalSeparator = '.';
        std::size_t byteLogCapacity = 4096; // received bytes kept for the byte log
        std::size_t lineLogLimit = 1000;    // more lines than this empty the line log
        // Longest event list and resets list; beyond it the oldest entries go. The module's
        // own ring holds 200 events, so only a faulty stream ever reaches it.
        std::size_t listLimit = 10000;
    };

    explicit MonitorModel(const Clock& clock) : MonitorModel(clock, Options{}) {}
    MonitorModel(const Clock& clock, Options options);

    // Bytes received from the module, in arrival order. Taken in pieces of at most 1000 bytes.
    void receive(std::span<const std::uint8_t> bytes);
    void receive(std::string_view bytes);

    // Bytes the port brought faster than they could be taken, dropped unread: they count as
    // received, the line in progress is broken off, and the status bar tells how many.
    void noteDropped(long long bytes);

    // The one-second timer (silence handling). Does nothing while the timer is stopped.
    void tick();
    // The user closed the 120-second message: the timer runs again and silence counts from 0.
    void silenceMessageDismissed();
    // Every displayed value back to its start state (also before the window is shown).
    void displayReset();
    // The window has been shown: the bad-PIN flag is cleared.
    void shown() { badPin_ = false; }
    // A line the terminal adds to its own log (the marker before a command from the PC).
    void noteLine(const std::string& text) { appendLineLog(text, false); }
    // Restart command: the byte counter starts again from 0 and the status bar shows it.
    void clearReceivedCount() {
        received_ = 0;
        dropped_ = 0;
        statusBarUnknown_ = false;
    }

    // Called with every line added to the line log: received lines (fromModule true, with their
    // "hh:mm:ss " prefix) and the RESET marker. Called after the line has taken effect.
    using LineListener = std::function<void(const std::string& logLine, bool fromModule)>;
    void setLineListener(LineListener listener) { lineListener_ = std::move(listener); }
    // Called with every piece of received bytes before its lines are handled, for a byte log
    // that keeps more than byteLog() does (one byteLogLine() per byte).
    using ByteListener = std::function<void(std::span<const std::uint8_t> bytes)>;
    void setByteListener(ByteListener listener) { byteListener_ = std::move(listener); }

    // Called after every status line has taken effect, with what the display then shows.
    using SampleListener = std::function<void(const StatusSample& sample)>;
    void setSampleListener(SampleListener listener) { sampleListener_ = std::move(listener); }

    // Effects produced since the last call, oldest first.
    std::vector<MonitorEffect> takeEffects();

    const DisplayValue& value(MonitorValue v) const { return values_[static_cast<std::size_t>(v)]; }
    const Gauge& signalGauge() const { return csqGauge_; }
    const Gauge& historyUsage() const { return historyUsage_; }
    const std::array<InputColumn, kMonitorInputs>& inputs() const { return inputs_; }
    const std::array<OutputIndicator, kMonitorOutputs>& outputs() const { return outputs_; }
    const std::deque<std::string>& events() const { return events_; }
    // Events appended since the model was made (events() keeps only the most recent), so a
    // view can append just the new ones.
    long long eventsAdded() const { return eventsAdded_; }
    const std::deque<std::string>& resetsHistory() const { return resets_; }

    bool waitBannerVisible() const { return waitVisible_; }
    const std::string& waitBannerText() const { return waitText_; }
    Rgb waitBannerBackground() const { return waitBackground_; }
    bool configBannerVisible() const { return configVisible_; }

    long long receivedCount() const { return received_; }
    long long droppedCount() const { return dropped_; }
    // " Odebrano: N", with " (pominięto: M)" once bytes were dropped; "?" after a display reset.
    std::string statusBarText() const;
    int silenceSeconds() const { return silence_; }
    bool timerRunning() const { return timerRunning_; }
    bool badPinFlag() const { return badPin_; }
    bool clockSyncEnabled() const { return clockSync_; }

    // Terminal copies: byte log lines (most recent bytes), line log, tag table rows.
    std::vector<std::string> byteLog() const;
    const std::vector<std::string>& lineLog() const { return lineLog_; }
    // How often the line log has been emptied past its limit, so a view that appends the new
    // lines knows when to start afresh.
    long long lineLogClears() const { return lineLogClears_; }
    const std::array<std::string, kTagRows>& tagTable() const { return tags_; }
    // Number of lines completed so far (every CR that ended a non-empty line).
    long long completedLines() const { return completedLines_; }

  private:
    void receivePiece(std::span<const std::uint8_t> piece);
    void dispatch(std::string_view line);
    void clockLine(std::string_view line);
    void resetCauseLine(std::string_view rest);
    void eventLine(std::string_view rest);
    void statusLine(std::string_view rest);
    StatusSample sample() const;
    void appendLineLog(std::string text, bool fromModule);
    void emit(MonitorEffectKind kind, std::string text = {});
    void setClockSync(bool enabled);
    std::string tenths(long long value) const;
    DisplayValue& val(MonitorValue v) { return values_[static_cast<std::size_t>(v)]; }

    const Clock* clock_;
    Options options_;

    std::array<DisplayValue, kMonitorValueCount> values_{};
    Gauge csqGauge_;
    Gauge historyUsage_;
    std::array<InputColumn, kMonitorInputs> inputs_{};
    std::array<OutputIndicator, kMonitorOutputs> outputs_{};
    std::deque<std::string> events_; // bounded: the oldest entries drop off the front
    std::deque<std::string> resets_;

    bool waitVisible_ = true;
    std::string waitText_{kWaitBannerText};
    Rgb waitBackground_{0, 255, 0};
    bool configVisible_ = false;
    bool statusBarUnknown_ = false;

    std::string lineBuffer_;
    long long received_ = 0;
    long long dropped_ = 0;
    int silence_ = 0;
    bool badPin_ = false;
    bool timerRunning_ = false;
    bool clockSync_ = false;
    long long completedLines_ = 0;
    long long eventsAdded_ = 0;
    long long lineLogClears_ = 0;

    std::vector<std::uint8_t> byteRing_; // the most recent received bytes
    std::size_t byteRingNext_ = 0;
    std::size_t byteRingCount_ = 0;
    std::vector<std::string> fields_; // reused by every status line
    std::vector<std::string> lineLog_;
    std::array<std::string, kTagRows> tags_{};
    std::vector<MonitorEffect> effects_;
    LineListener lineListener_;
    ByteListener byteListener_;
    SampleListener sampleListener_;
};

// One byte-log line: two upper-case hexadecimal digits, a blank and the byte as a character
// (control characters shown as '.', so a line never breaks).
std::string byteLogLine(std::uint8_t byte);

// Fields of a status line: split at ';' and at characters 1..32, double-quoted fields allowed
// (a doubled quote inside stands for one). The strings of out are reused.
void splitStatusFields(std::string_view text, std::vector<std::string>& out);

// The value of a status field: 1 to 8 hexadecimal digits, FFFFFFFF excluded.
bool statusFieldValue(std::string_view field, std::uint32_t& value);

// The reset-cause text of a code, or empty when the code has none.
std::string_view resetCauseText(int code);

} // namespace qv
