#include "config/settings.hpp"

#include "config/item_lists.hpp"

namespace qv {

namespace {
constexpr const char* kActionTexts[] = {"", "SMS", "CLIP", "C/S", "C+S"};
constexpr ActionColour kActionColours[] = {ActionColour::White, ActionColour::Red,
                                           ActionColour::Blue, ActionColour::Purple,
                                           ActionColour::Teal};
} // namespace

const char* actionText(int code) {
    return kActionTexts[code];
}
ActionColour actionColour(int code) {
    return kActionColours[code];
}

int actionCodeOfText(const std::string& t) {
    for (int k = 0; k < memmap::kActionCodes; ++k)
        if (t == kActionTexts[k]) return k;
    return -1;
}

void cycleAction(ActionCell& cell) {
    const int code = actionCodeOfText(cell.text);
    if (code < 0) return;
    const int next = (code + 1) % memmap::kActionCodes;
    cell.text = kActionTexts[next];
    cell.colour = kActionColours[next];
}

int OutputRow::paramItemCount() const {
    switch (list) {
    case ParamList::InputSlots:
        return memmap::kInputSlots;
    case ParamList::Seconds:
        return items::kOutputSecondsItems;
    case ParamList::Empty:
        break;
    }
    return 0;
}

void setRadio(bool& button, bool& partner, bool checked) {
    button = checked;
    if (checked) partner = false;
}

int selectItem(int index, int count) {
    return index >= 0 && index < count ? index : -1;
}

void applyOutputTypeRule(Settings& s, int o) {
    OutputRow& row = s.output(o);
    if (o == 1 && row.type == 1) {
        // The siren panel is shown instead of a parameter; the list keeps what it holds.
        row.paramVisible = false;
        row.paramCaption.clear();
    } else if (row.type == 4) {
        row.paramCaption = items::kCaptionWhichInput;
        row.paramVisible = true;
        row.list = ParamList::InputSlots;
    } else if (row.type == 5 || row.type == 7) {
        row.paramCaption = items::kCaptionOnTime;
        row.paramVisible = true;
        row.list = ParamList::Seconds;
    } else {
        row.paramCaption.clear();
        row.paramVisible = false;
    }
    row.param = selectItem(0, row.paramItemCount());
}

bool sirenPanelVisible(const Settings& s) {
    return s.output(1).type == 1;
}

} // namespace qv
