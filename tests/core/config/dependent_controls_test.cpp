#include "config/defaults.hpp"
#include "config/dependent_controls.hpp"

#include <gtest/gtest.h>

namespace qv {

TEST(DependentControls, GsmLevelCaptionRoundsToTheNearestPercent) {
    const std::pair<int, const char*> cases[] = {{0, "0%"},  {1, "3%"},   {2, "7%"},
                                                 {3, "10%"}, {15, "50%"}, {31, "103%"},
                                                 {-5, "0%"}, {40, "103%"}};
    for (const auto& [position, caption] : cases)
        EXPECT_EQ(gsmLevelCaption(position), caption) << position;
}

TEST(DependentControls, FollowTheirSettings) {
    Settings s;
    applyDefaults(s);
    EXPECT_TRUE(securityPhonesVisible(s));
    EXPECT_TRUE(testPeriodEnabled(s));
    EXPECT_FALSE(analog3ListEnabled(s));
    EXPECT_FALSE(alarmPanelGroupsVisible(s));
    s.enableAnyPhone = true;
    s.doTest = false;
    s.analog4Enable = true;
    EXPECT_FALSE(securityPhonesVisible(s));
    EXPECT_FALSE(testPeriodEnabled(s));
    EXPECT_TRUE(analog4ListEnabled(s));
    EXPECT_FALSE(analog3ListEnabled(s));
    toggleAlarmPanel(s);
    EXPECT_TRUE(alarmPanelGroupsVisible(s));
    toggleAlarmPanel(s);
    EXPECT_FALSE(s.useZone);
}

TEST(DependentControls, OutputParameterItemsFollowTheList) {
    EXPECT_TRUE(outputParamItems(ParamList::Empty).empty());
    const auto inputs = outputParamItems(ParamList::InputSlots);
    ASSERT_EQ(inputs.size(), 15u);
    EXPECT_EQ(inputs.front(), "Test/Status");
    EXPECT_EQ(inputs.back(), "Ex 6");
    const auto seconds = outputParamItems(ParamList::Seconds);
    ASSERT_EQ(seconds.size(), 255u);
    EXPECT_EQ(seconds.front(), "1 sec.");
}

} // namespace qv
