#include "tools/editing_actions.hpp"

#include <string>

namespace qv::editing {

namespace {

constexpr int kFirstInput = 5;  // rows 1..4 are the system signals
constexpr int kFirstReturn = 2; // row 1 has no return side

template <class F> void forRows(Settings& s, int first, F f) {
    for (int slot = first; slot <= memmap::kInputSlots; ++slot)
        f(s.input(slot));
}

void clearAll(Settings& s, std::string InputRow::*field) {
    forRows(s, 1, [field](InputRow& row) { (row.*field).clear(); });
}

void stepColumn(Settings& s, bool alarm, int column, int first) {
    if (column < 1 || column > memmap::kActionColumns) return;
    const auto cellOf = [alarm, column](InputRow& row) -> ActionCell& {
        auto& cells = alarm ? row.alarmAction : row.returnAction;
        return cells[static_cast<std::size_t>(column - 1)];
    };
    const ActionCell next = successor(cellOf(s.input(first)));
    forRows(s, first, [&](InputRow& row) { cellOf(row) = next; });
}

void setContact(Settings& s, bool nc) {
    forRows(s, kFirstInput, [nc](InputRow& row) {
        row.nc = nc;
        row.no = !nc;
    });
}

void invertFlag(Settings& s, bool InputRow::*flag, int first) {
    const bool value = !(s.input(2).*flag);
    forRows(s, first, [&](InputRow& row) { row.*flag = value; });
}

} // namespace

ActionCell successor(const ActionCell& reference) {
    const int code = actionCodeOfText(reference.text);
    const int next = code < 0 ? 0 : (code + 1) % memmap::kActionCodes;
    return ActionCell{actionText(next), actionColour(next)};
}

void setNC(Settings& s) {
    setContact(s, true);
}
void setNO(Settings& s) {
    setContact(s, false);
}

void setReset(Settings& s) {
    invertFlag(s, &InputRow::reset, kFirstReturn);
}
void setStatus(Settings& s) {
    invertFlag(s, &InputRow::status, 1);
}

void stepAlarmColumn(Settings& s, int column) {
    stepColumn(s, true, column, 1);
}
void stepReturnColumn(Settings& s, int column) {
    stepColumn(s, false, column, kFirstReturn);
}

void copyFirstAlarmPhone(Settings& s) {
    const std::string phone = s.input(1).alarmPhone;
    forRows(s, 2, [&](InputRow& row) { row.alarmPhone = phone; });
}
void copyFirstReturnPhone(Settings& s) {
    const std::string phone = s.input(kFirstReturn).returnPhone;
    forRows(s, kFirstReturn + 1, [&](InputRow& row) { row.returnPhone = phone; });
}
void alarmPhoneToReturnPhone(Settings& s) {
    s.input(kFirstReturn).returnPhone = s.input(1).alarmPhone;
}
void returnPhoneToAlarmPhone(Settings& s) {
    s.input(1).alarmPhone = s.input(kFirstReturn).returnPhone;
}

void clearAlarmPhones(Settings& s) {
    clearAll(s, &InputRow::alarmPhone);
}
void clearReturnPhones(Settings& s) {
    clearAll(s, &InputRow::returnPhone);
}
void clearAlarmTexts(Settings& s) {
    clearAll(s, &InputRow::alarmText);
}
void clearReturnTexts(Settings& s) {
    clearAll(s, &InputRow::returnText);
}
void clearAlarmPrivTexts(Settings& s) {
    clearAll(s, &InputRow::alarmPrivText);
}
void clearReturnPrivTexts(Settings& s) {
    clearAll(s, &InputRow::returnPrivText);
}
void clearDescriptions(Settings& s) {
    clearAll(s, &InputRow::description);
}
void clearDescriptionMemo(Settings& s) {
    s.description.clear();
}

} // namespace qv::editing
