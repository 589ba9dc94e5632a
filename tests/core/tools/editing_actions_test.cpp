#include "tools/editing_actions.hpp"

#include "config/defaults.hpp"

#include <gtest/gtest.h>

namespace qv {
namespace {

constexpr int kRows = memmap::kInputSlots;

Settings defaults() {
    Settings s;
    applyDefaults(s);
    return s;
}

const ActionCell& alarmCell(const Settings& s, int slot, int column) {
    return s.input(slot).alarmAction[std::size_t(column - 1)];
}
const ActionCell& returnCell(const Settings& s, int slot, int column) {
    return s.input(slot).returnAction[std::size_t(column - 1)];
}

TEST(EditingActions, SuccessorFollowsTheCycleAndMakesAnyOtherTextNone) {
    const char* order[] = {"", "SMS", "CLIP", "C/S", "C+S", ""};
    const ActionColour colours[] = {ActionColour::White,  ActionColour::Red,  ActionColour::Blue,
                                    ActionColour::Purple, ActionColour::Teal, ActionColour::White};
    for (int i = 0; i < 5; ++i) {
        const ActionCell next = editing::successor(ActionCell{order[i], ActionColour::Red});
        EXPECT_EQ(next.text, order[i + 1]);
        EXPECT_EQ(next.colour, colours[i + 1]);
    }
    EXPECT_EQ(editing::successor(ActionCell{"X", ActionColour::Blue}), ActionCell{});
    EXPECT_EQ(editing::successor(ActionCell{"sms", ActionColour::Red}), ActionCell{});
}

TEST(EditingActions, AlarmColumnStepsAllRowsInUnisonFromRowOne) {
    Settings s = defaults();
    s.input(7).alarmAction[0] = {"C+S", ActionColour::Teal}; // the others follow row 1, not it
    editing::setAlarm(s);
    for (int r = 1; r <= kRows; ++r)
        EXPECT_EQ(alarmCell(s, r, 1), (ActionCell{"SMS", ActionColour::Red})) << r;
    for (int i = 0; i < 4; ++i)
        editing::setAlarm(s);
    for (int r = 1; r <= kRows; ++r)
        EXPECT_EQ(alarmCell(s, r, 1), ActionCell{}) << r;
    // The private columns are separate.
    editing::stepAlarmColumn(s, 3);
    EXPECT_EQ(alarmCell(s, 15, 3).text, "SMS");
    EXPECT_EQ(alarmCell(s, 15, 2).text, "");
    EXPECT_EQ(alarmCell(s, 15, 4).text, "");
}

TEST(EditingActions, ReturnColumnsNeverTouchRowOne) {
    Settings s = defaults();
    for (int c = 1; c <= 4; ++c) {
        editing::stepReturnColumn(s, c);
        EXPECT_EQ(returnCell(s, 1, c).text, kNotApplicable);
        for (int r = 2; r <= kRows; ++r)
            EXPECT_EQ(returnCell(s, r, c), (ActionCell{"SMS", ActionColour::Red})) << r << c;
    }
    editing::setReturn(s);
    EXPECT_EQ(returnCell(s, 9, 1).text, "CLIP");
    EXPECT_EQ(returnCell(s, 9, 2).text, "SMS");
}

TEST(EditingActions, ReferenceCellWithAForeignTextMakesTheWholeColumnNone) {
    Settings s = defaults();
    for (int r = 1; r <= kRows; ++r)
        s.input(r).alarmAction[1] = {"CLIP", ActionColour::Blue};
    s.input(1).alarmAction[1].text = "X";
    s.input(2).returnAction[3] = {"??", ActionColour::Teal};
    s.input(5).returnAction[3] = {"SMS", ActionColour::Red};
    editing::stepAlarmColumn(s, 2);
    editing::stepReturnColumn(s, 4);
    for (int r = 1; r <= kRows; ++r)
        EXPECT_EQ(alarmCell(s, r, 2), ActionCell{}) << r;
    for (int r = 2; r <= kRows; ++r)
        EXPECT_EQ(returnCell(s, r, 4), ActionCell{}) << r;
}

TEST(EditingActions, ColumnOutsideTheTableChangesNothing) {
    Settings s = defaults();
    const Settings before = s;
    editing::stepAlarmColumn(s, 0);
    editing::stepAlarmColumn(s, 5);
    editing::stepReturnColumn(s, -1);
    EXPECT_EQ(s, before);
}

TEST(EditingActions, ContactTypeOnlyForTheInputs) {
    Settings s = defaults();
    s.input(3).nc = false;
    s.input(3).no = false; // a loaded file may leave both off
    editing::setNC(s);
    for (int r = 5; r <= kRows; ++r)
        EXPECT_TRUE(s.input(r).nc && !s.input(r).no) << r;
    EXPECT_TRUE(s.input(1).no && !s.input(1).nc);
    EXPECT_FALSE(s.input(3).no || s.input(3).nc);
    EXPECT_TRUE(s.input(4).no);
    editing::setNO(s);
    for (int r = 5; r <= kRows; ++r)
        EXPECT_TRUE(s.input(r).no && !s.input(r).nc) << r;
}

TEST(EditingActions, StatusInvertsRowTwoIntoEveryRowIncludingRowOne) {
    Settings s = defaults();
    s.input(1).status = true; // row 1 differs from the reference
    s.input(9).status = true;
    editing::setStatus(s);
    for (int r = 1; r <= kRows; ++r)
        EXPECT_TRUE(s.input(r).status) << r;
    editing::setStatus(s);
    for (int r = 1; r <= kRows; ++r)
        EXPECT_FALSE(s.input(r).status) << r;
}

TEST(EditingActions, ResetInvertsRowTwoIntoRowsTwoToFifteen) {
    Settings s = defaults();
    s.input(2).reset = true;
    s.input(4).reset = false;
    editing::setReset(s);
    EXPECT_FALSE(s.input(1).reset);
    for (int r = 2; r <= kRows; ++r)
        EXPECT_FALSE(s.input(r).reset) << r;
    editing::setReset(s);
    EXPECT_FALSE(s.input(1).reset); // row 1's reset is fixed
    for (int r = 2; r <= kRows; ++r)
        EXPECT_TRUE(s.input(r).reset) << r;
}

TEST(EditingActions, PhoneCopies) {
    Settings s = defaults();
    s.input(1).alarmPhone = "600100200";
    s.input(2).returnPhone = "700";
    s.input(1).returnPhone = "keep";
    editing::copyFirstAlarmPhone(s);
    editing::copyFirstReturnPhone(s);
    for (int r = 2; r <= kRows; ++r)
        EXPECT_EQ(s.input(r).alarmPhone, "600100200") << r;
    for (int r = 3; r <= kRows; ++r)
        EXPECT_EQ(s.input(r).returnPhone, "700") << r;
    EXPECT_EQ(s.input(1).returnPhone, "keep"); // row 1's return phone is never set

    editing::alarmPhoneToReturnPhone(s);
    EXPECT_EQ(s.input(2).returnPhone, "600100200");
    EXPECT_EQ(s.input(3).returnPhone, "700");
    s.input(2).returnPhone = "800";
    editing::returnPhoneToAlarmPhone(s);
    EXPECT_EQ(s.input(1).alarmPhone, "800");
    EXPECT_EQ(s.input(2).alarmPhone, "600100200");
}

TEST(EditingActions, ClearsEmptyExactlyTheirColumn) {
    struct Case {
        void (*action)(Settings&);
        std::string InputRow::*field;
    };
    const Case cases[] = {
        {editing::clearAlarmPhones, &InputRow::alarmPhone},
        {editing::clearReturnPhones, &InputRow::returnPhone},
        {editing::clearAlarmTexts, &InputRow::alarmText},
        {editing::clearReturnTexts, &InputRow::returnText},
        {editing::clearAlarmPrivTexts, &InputRow::alarmPrivText},
        {editing::clearReturnPrivTexts, &InputRow::returnPrivText},
        {editing::clearDescriptions, &InputRow::description},
    };
    for (const Case& c : cases) {
        Settings s = defaults();
        for (int r = 1; r <= kRows; ++r)
            for (auto f : {&InputRow::alarmPhone, &InputRow::returnPhone, &InputRow::alarmText,
                           &InputRow::returnText, &InputRow::alarmPrivText,
                           &InputRow::returnPrivText, &InputRow::description})
                s.input(r).*f = "t" + std::to_string(r);
        s.description = {"memo"};
        Settings expected = s;
        for (int r = 1; r <= kRows; ++r)
            (expected.input(r).*c.field).clear();
        c.action(s);
        EXPECT_EQ(s, expected);
    }
    Settings s = defaults();
    s.description = {"a", "b"};
    editing::clearDescriptionMemo(s);
    EXPECT_TRUE(s.description.empty());
}

} // namespace
} // namespace qv
