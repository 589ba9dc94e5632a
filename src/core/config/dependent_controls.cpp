#include "config/dependent_controls.hpp"

#include "config/item_lists.hpp"

#include <algorithm>

namespace qv {

namespace {
constexpr int kGsmLevelMax = 31;
} // namespace

int gsmLevelPercent(int position) {
    const int p = std::clamp(position, 0, kGsmLevelMax);
    return (p * 10 + 1) / 3; // round(10p / 3): remainders 1 round down, 2 round up
}

std::string gsmLevelCaption(int position) {
    return std::to_string(gsmLevelPercent(position)) + "%";
}

std::vector<std::string> outputParamItems(ParamList list) {
    switch (list) {
    case ParamList::InputSlots:
        return items::outputInputs();
    case ParamList::Seconds:
        return items::outputSeconds();
    case ParamList::Empty:
        break;
    }
    return {};
}

} // namespace qv
