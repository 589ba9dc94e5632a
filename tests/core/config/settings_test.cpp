#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "config/settings.hpp"

#include <gtest/gtest.h>

namespace qv {

TEST(Settings, ActionCellsCycleWithTheirColoursAndXStays) {
    ActionCell cell;
    const ActionColour colours[] = {ActionColour::Red, ActionColour::Blue, ActionColour::Purple,
                                    ActionColour::Teal, ActionColour::White};
    const char* texts[] = {"SMS", "CLIP", "C/S", "C+S", ""};
    for (int i = 0; i < 5; ++i) {
        cycleAction(cell);
        EXPECT_EQ(cell.text, texts[i]);
        EXPECT_EQ(cell.colour, colours[i]);
    }
    ActionCell x{"X", ActionColour::White};
    cycleAction(x);
    EXPECT_EQ(x.text, "X");
}

TEST(Settings, OutputTypeRuleRebuildsTheParameterList) {
    Settings s;
    applyDefaults(s);
    OutputRow& out = s.output(2);
    EXPECT_EQ(out.param, -1); // the list was never filled
    out.type = 7;
    applyOutputTypeRule(s, 2);
    EXPECT_EQ(out.paramItemCount(), 255);
    EXPECT_EQ(out.param, 0);
    EXPECT_EQ(out.paramCaption, "Czas załączenia:");
    EXPECT_TRUE(out.paramVisible);
    out.param = 100;
    out.type = 4;
    applyOutputTypeRule(s, 2);
    EXPECT_EQ(out.paramItemCount(), 15);
    EXPECT_EQ(out.param, 0);
    EXPECT_EQ(items::outputInputs()[0], "Test/Status");
    out.type = 1;
    applyOutputTypeRule(s, 2);
    EXPECT_FALSE(out.paramVisible);
    EXPECT_FALSE(sirenPanelVisible(s));
    s.output(1).type = 1;
    applyOutputTypeRule(s, 1);
    EXPECT_TRUE(sirenPanelVisible(s));
}

TEST(Settings, ItemListsHaveTheirSizesAndTexts) {
    EXPECT_EQ(items::testPeriod().size(), 144u);
    EXPECT_EQ(items::testPeriod().front(), "0:10");
    EXPECT_EQ(items::testPeriod().back(), "24:00");
    EXPECT_EQ(items::inputTime(2).size(), 90u);
    EXPECT_EQ(items::inputTime(3).size(), 34u);
    EXPECT_EQ(items::inputTime(3)[9], "1");
    EXPECT_EQ(items::analogLevel()[14], "1,5");
    EXPECT_EQ(items::analogLevel().back(), "24,0");
    EXPECT_EQ(items::accuMin()[10], "11.0");
    EXPECT_EQ(items::outputTypes(1)[1], "Sygnalizator");
    EXPECT_EQ(items::outputTypes(2)[1], "-----------");
    EXPECT_EQ(items::outputSeconds().back(), "255 sec.");
}

TEST(Settings, DefaultsSetTheFixedRowValues) {
    Settings s;
    s.input(7).deafTime = 20; // not named by the defaults
    applyDefaults(s);
    EXPECT_EQ(s.input(1).deafTime, 9);
    EXPECT_EQ(s.input(3).deafTime, 33);
    EXPECT_EQ(s.input(7).deafTime, 20);
    EXPECT_TRUE(s.input(6).zoneMask);
    for (const auto& cell : s.input(1).returnAction)
        EXPECT_EQ(cell.text, "X");
    EXPECT_EQ(s.input(10).alarmText, "E1");
    EXPECT_EQ(s.input(15).returnText, "F6");
    EXPECT_EQ(s.input(9).description, "Wejście 5 - zwykle podłączane jako wejście SABOTAŻ");
    EXPECT_FALSE(constraints::ncNoSelectable(4));
    EXPECT_TRUE(constraints::ncNoSelectable(5));
    EXPECT_FALSE(constraints::blockingEditable(6));
    EXPECT_STREQ(constraints::inputTimeUnit(2), "min.");
}

} // namespace qv
