#pragma once
// The values of the main window as a plain model: list settings are item indices (-1 = no
// item selected), flags are bools, radio pairs are two bools (both may be false after loading
// a file), texts are UTF-8. Rows and columns are 1-based in every accessor.
#include "config/memmap.hpp"

#include <array>
#include <string>
#include <vector>

namespace qv {

// How a phone is notified. The cell shows a text; the code is what the image stores.
enum class NotificationAction { None = 0, Sms = 1, Clip = 2, ClipOrSms = 3, ClipAndSms = 4 };

// Semantic display colour of an action cell (the code's colour).
enum class ActionColour { White, Red, Blue, Purple, Teal };

inline constexpr const char* kNotApplicable = "X";

// The action cells hold texts: "", "SMS", "CLIP", "C/S", "C+S", or "X" where the cell does
// not apply. A loaded file may put any text there.
struct ActionCell {
    std::string text;
    ActionColour colour = ActionColour::White;
    bool operator==(const ActionCell&) const = default;
};

const char* actionText(int code);           // code 0..4
ActionColour actionColour(int code);        // code 0..4
int actionCodeOfText(const std::string& t); // 0..4, or -1 for any other text
// One step of the cycling order none -> SMS -> CLIP -> C/S -> C+S -> none; any other text
// (the "X" of cells that do not apply) does not change.
void cycleAction(ActionCell& cell);

struct InputRow {
    bool nc = false; // radio pair NC / NO
    bool no = true;
    int deafTime = 2; // input time item index
    bool reset = false;
    bool status = false;
    std::array<ActionCell, memmap::kActionColumns> alarmAction{};
    std::array<ActionCell, memmap::kActionColumns> returnAction{};
    std::string alarmText, returnText;         // at most 20 characters
    std::string alarmPhone, returnPhone;       // at most 15 characters
    std::string alarmPrivText, returnPrivText; // at most 64 characters
    std::string description;                   // at most 100 characters, not stored anywhere
    bool zoneMask = false;                     // blocked by input 1
    bool zoneBellMask = false;                 // triggers the siren
    bool operator==(const InputRow&) const = default;
};

// Which items an output's parameter list holds.
enum class ParamList { Empty, InputSlots, Seconds };

struct OutputRow {
    int type = 0; // type list index
    ParamList list = ParamList::Empty;
    bool paramVisible = false; // the list is hidden for types without a parameter
    std::string paramCaption;  // "Które wejście:", "Czas załączenia:" or empty
    int param = -1;            // parameter list index
    std::string alias;         // no editor: always empty when taken from the window
    int paramItemCount() const;
    bool operator==(const OutputRow&) const = default;
};

struct Settings {
    // Values "at program start", before the defaults are applied: the window's design values.
    std::string pin = "9873";
    std::string password;
    int eventCnt = 4;
    int eventCntReset = 19;
    bool eventCntResetOnClip = false;
    bool testPeriodListBuilt = false; // the test period list is empty until the defaults
    int testPeriod = -1;
    bool doTest = true;
    int econoMode = 0;
    int retryCnt = 4;
    int clipTime = 2;
    std::string object = "0000";
    std::string objectName;
    bool useZone = false;
    bool vorkal = true; // radio pair VORKAL_MODE / DGG16Z
    bool dgg16z = false;
    bool dgg16zSmsOff = false;
    bool smsQvs2 = true; // radio pair DTMF_SMS_QVS2 / DTMF_SMS_STAM
    bool smsStam = false;
    bool testOnClip = false;
    bool enableControlSms = false;
    bool enableAnyPhone = false;
    bool ledsOff = false;
    bool gsmOff = false;
    int gsmLevel = 3; // track bar 0..31
    int acLevel = 2;
    int accuMax = 0;
    int accuMin = 10;
    bool analog3Enable = false;
    int analog3 = -1;
    bool analog4Enable = false;
    int analog4 = -1;
    bool sensor2Enable = false;
    bool sensor5Enable = false;
    std::string sensor2LevelH = "30.8";
    std::string sensor2LevelL = "26.6";
    std::string sensor5LevelH = "-0.5";
    std::string sensor5LevelL = "-4.7";
    std::array<std::string, memmap::kAdditionalPhones> addPhones{};
    std::array<InputRow, memmap::kInputSlots> inputs{};
    std::array<std::string, memmap::kPrivatePhones> privPhones{};
    std::array<std::string, memmap::kSecurityPhones> securityPhones{};
    bool useGprs = false;
    std::string server = "192.168.1.1";
    std::string port = "1111";
    std::string apn = "internet";
    std::string apnUser;
    std::string apnPass;
    int pingTime = 4;
    std::string dtmfPhone;
    int dtmfType = 0;
    std::string ackDelayText = "250";    // display only
    std::string kissOffDelayText = "30"; // display only
    int zone1Delay = 6;
    int armDelay = 6;
    int bellTime = 0;
    std::array<OutputRow, memmap::kOutputs> outputs{};
    bool armSignal = false;
    bool armOnClip = false;
    std::vector<std::string> description; // the description memo, one entry a line

    InputRow& input(int slot) { return inputs.at(static_cast<std::size_t>(slot - 1)); }
    const InputRow& input(int slot) const { return inputs.at(static_cast<std::size_t>(slot - 1)); }
    OutputRow& output(int o) { return outputs.at(static_cast<std::size_t>(o - 1)); }
    const OutputRow& output(int o) const { return outputs.at(static_cast<std::size_t>(o - 1)); }

    bool operator==(const Settings&) const = default;
};

// Radio pairs: checking a button unchecks its partner; unchecking leaves the partner alone.
void setRadio(bool& button, bool& partner, bool checked);

// The output-type rule: rebuilds output o's parameter list for its current type and selects
// item 0 (nothing while the list is empty). Returns whether the siren panel is shown (output 1
// of type 1).
void applyOutputTypeRule(Settings& s, int o);
bool sirenPanelVisible(const Settings& s);

// Selects item `index` of a list with `count` items: an index outside the list leaves it
// without a selection (-1).
int selectItem(int index, int count);

} // namespace qv
