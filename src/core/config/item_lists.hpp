#pragma once
// The fixed item lists of the main window's lists and of the input and output tables.
#include <string>
#include <vector>

namespace qv::items {

struct SlotLabel {
    const char* label;
    const char* shortLabel;
};
// Input slots 1..15 in order.
const std::vector<SlotLabel>& slotLabels();
const char* slotLabel(int slot);

std::vector<std::string> eventCnt();              // "1".."9"
std::vector<std::string> eventCntReset();         // "1".."60"
std::vector<std::string> econoMode();             // "NIE", "TAK"
std::vector<std::string> retryCnt();              // "1".."10"
std::vector<std::string> testPeriod();            // "0:10".."23:50", "24:00" (144 items)
std::vector<std::string> clipTime();              // "Krótki", "Średni", "Długi"
std::vector<std::string> accuMin();               // "10.0".."12.0"
std::vector<std::string> accuMax();               // "12.0".."13.0"
std::vector<std::string> acLevel();               // "1".."24"
std::vector<std::string> analogLevel();           // "0,1".."24,0" (240 items)
std::vector<std::string> pingTime();              // "1".."15"
std::vector<std::string> dtmfType();              // "Contact ID"
std::vector<std::string> delaySeconds();          // "0".."60" step 5
std::vector<std::string> bellTime();              // "1 min."..."60 min."
std::vector<std::string> inputTime(int slot);     // 34 items, slot 2: "1".."90" minutes
std::vector<std::string> outputTypes(int output); // 8 items
std::vector<std::string> outputSeconds();         // "1 sec."..."255 sec."
std::vector<std::string> outputInputs();          // the 15 slot labels

inline constexpr int kTestPeriodItems = 144;
inline constexpr int kInputTimeItems = 34;
inline constexpr int kInputTimeItemsSlot2 = 90;
inline constexpr int kOutputTypeItems = 8;
inline constexpr int kOutputSecondsItems = 255;
inline constexpr int kAnalogItems = 240;

inline constexpr const char* kCaptionWhichInput = "Które wejście:";
inline constexpr const char* kCaptionOnTime = "Czas załączenia:";
inline constexpr const char* kStatusLabel = "Status urządzenia";

} // namespace qv::items
