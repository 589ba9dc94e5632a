#include "config/config_file.hpp"
#include "config/config_keys.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/item_lists.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace qv {

using namespace memmap;

namespace {

Settings defaultSettings() {
    Settings s;
    applyDefaults(s);
    return s;
}

void convert(Settings& s, ConfigImage& img) {
    form2tab(s, img, "new.qvx", "2024-05-17 12:35:00");
}

Settings roundTrip(Settings s) {
    ConfigImage img;
    convert(s, img);
    Settings back = defaultSettings();
    tab2form(img, back);
    return back;
}

struct ListSetting {
    const char* name;
    int count;
    std::function<int&(Settings&)> field;
};

} // namespace

TEST(Conversion, EveryListItemSurvivesBothConversions) {
    const std::vector<ListSetting> lists = {
        {"EVENT_COUNTER", 9, [](Settings& s) -> int& { return s.eventCnt; }},
        {"EVENT_COUNTER_RESET", 60, [](Settings& s) -> int& { return s.eventCntReset; }},
        {"TEST_PERIOD", 144, [](Settings& s) -> int& { return s.testPeriod; }},
        {"ECONO_MODE", 2, [](Settings& s) -> int& { return s.econoMode; }},
        {"RETRY_COUNTER", 10, [](Settings& s) -> int& { return s.retryCnt; }},
        {"CLIP_LENGTH", 3, [](Settings& s) -> int& { return s.clipTime; }},
        {"GSM_LEVEL", 32, [](Settings& s) -> int& { return s.gsmLevel; }},
        {"AC_LEVEL", 24, [](Settings& s) -> int& { return s.acLevel; }},
        {"ACCU_MAX", 11, [](Settings& s) -> int& { return s.accuMax; }},
        {"ACCU_MIN", 21, [](Settings& s) -> int& { return s.accuMin; }},
        {"ANALOG_INPUT_3", 240, [](Settings& s) -> int& { return s.analog3; }},
        {"ANALOG_INPUT_4", 240, [](Settings& s) -> int& { return s.analog4; }},
        {"PING_TIME", 15, [](Settings& s) -> int& { return s.pingTime; }},
        {"DTMF_TYPE", 1, [](Settings& s) -> int& { return s.dtmfType; }},
        {"ZONE1_DELAY", 13, [](Settings& s) -> int& { return s.zone1Delay; }},
        {"ARM_DELAY", 13, [](Settings& s) -> int& { return s.armDelay; }},
        {"BELL_TIME", 60, [](Settings& s) -> int& { return s.bellTime; }},
        {"INPUT_DEAF_TIME.2", 90, [](Settings& s) -> int& { return s.input(2).deafTime; }},
        {"INPUT_DEAF_TIME.5", 34, [](Settings& s) -> int& { return s.input(5).deafTime; }},
        {"INPUT_DEAF_TIME.15", 34, [](Settings& s) -> int& { return s.input(15).deafTime; }},
        {"OUTPUT_TYPE3", 8, [](Settings& s) -> int& { return s.output(3).type; }},
    };
    for (const auto& list : lists) {
        for (int idx = 0; idx < list.count; ++idx) {
            Settings s = defaultSettings();
            list.field(s) = idx;
            Settings back = roundTrip(s);
            EXPECT_EQ(list.field(back), idx) << list.name << " item " << idx;
        }
    }
    for (int o = 1; o <= kOutputs; ++o) {
        for (int type : {4, 5, 7}) {
            const int count = type == 4 ? 15 : 255;
            for (int p = 0; p < count; ++p) {
                Settings s = defaultSettings();
                s.output(o).type = type;
                applyOutputTypeRule(s, o);
                s.output(o).param = p;
                Settings back = roundTrip(s);
                ASSERT_EQ(back.output(o).type, type);
                ASSERT_EQ(back.output(o).param, p) << "output " << o << " type " << type;
            }
        }
    }
}

TEST(Conversion, InputTimeEncoding) {
    Settings s = defaultSettings();
    ConfigImage img;
    const int expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 19, 29, 249};
    const int items[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 33};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        s.input(5).deafTime = items[i];
        convert(s, img);
        EXPECT_EQ(img[inputDeafTime(5)], expected[i]) << "item " << items[i];
    }
    s.input(2).deafTime = 2; // "3" minutes is stored as its plain index
    convert(s, img);
    EXPECT_EQ(img[inputDeafTime(2)], 2);

    img[inputDeafTime(5)] = 10;
    img[inputDeafTime(6)] = 15;
    img[inputDeafTime(2)] = 80;
    tab2form(img, s);
    EXPECT_EQ(s.input(5).deafTime, 10); // "2"
    EXPECT_EQ(s.input(6).deafTime, 9);  // "1"
    EXPECT_EQ(s.input(2).deafTime, 80);
}

TEST(Conversion, ValuesOutsideAListLeaveNoSelectionAndAreStoredBack) {
    Settings s = defaultSettings();
    ConfigImage img;
    convert(s, img);
    img[oEVENT_CNT] = 0;
    img[oCLIP_TIME] = 200;
    img[oALARM_ACTION] = 9; // an action code without a text
    tab2form(img, s);
    EXPECT_EQ(s.eventCnt, -1);
    EXPECT_EQ(s.clipTime, -1);
    EXPECT_EQ(s.input(1).alarmAction[0].text, "");
    convert(s, img);
    EXPECT_EQ(img[oEVENT_CNT], 0);
    EXPECT_EQ(img[oCLIP_TIME], 0);
}

TEST(Conversion, TemperatureRule) {
    const struct {
        const char* text;
        const char* shown;
        std::uint16_t stored;
    } cases[] = {
        {"-4.7", "-4.7", 0xFFD1}, {"abc", "0.0", 0},         {"26.6", "26.6", 266},
        {"2.3", "2.3", 23},       {"26.66", "26.7", 266},    {" 30 ", "30.0", 300},
        {"-0.5", "-0.5", 0xFFFB}, {"4000", "4000.0", 40000}, {"", "0.0", 0},
        {"1e1", "10.0", 100},     {"12,5", "0.0", 0},
    };
    for (const auto& c : cases) {
        const Temperature t = temperatureFromText(c.text);
        EXPECT_EQ(t.text, c.shown) << c.text;
        EXPECT_EQ(t.stored, c.stored) << c.text;
    }
    EXPECT_EQ(temperatureText(0xFFD1), "-4.7");
    EXPECT_EQ(temperatureText(0xFFFB), "-0.5");
    EXPECT_EQ(temperatureText(0), "0.0");

    Settings s = defaultSettings();
    s.sensor5LevelL = "abc";
    ConfigImage img;
    convert(s, img);
    EXPECT_EQ(s.sensor5LevelL, "0.0");
    EXPECT_EQ(img.getU16(oSENSOR5_LOW), 0);
    EXPECT_EQ(img[oSENSOR5_HIGH], 0xFF);
    EXPECT_EQ(img[oSENSOR5_HIGH + 1], 0xFB);
}

TEST(Conversion, TestInputReturnsWithItsAlarmValues) {
    Settings s = defaultSettings();
    InputRow& t = s.input(1);
    t.alarmText = "ALARM";
    t.returnText = "ignored";
    t.alarmPhone = "600100200";
    t.returnPhone = "999";
    t.alarmPrivText = "priv";
    t.returnPrivText = "other";
    t.alarmAction = {ActionCell{"SMS"}, ActionCell{"CLIP"}, ActionCell{"C/S"}, ActionCell{"C+S"}};
    ConfigImage img;
    convert(s, img);
    EXPECT_EQ(img.getTextField(returnText(1), 20), "ALARM");
    EXPECT_EQ(img.getTextField(returnPhone(1), 15), "600100200");
    EXPECT_EQ(img.getTextField(returnPrivText(1), 64), "priv");
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(img[returnAction(1, c)], c);

    Settings back = defaultSettings();
    tab2form(img, back);
    for (const auto& cell : back.input(1).returnAction)
        EXPECT_EQ(cell.text, "X");
    EXPECT_EQ(back.input(1).alarmAction[2].colour, ActionColour::Purple);
}

TEST(Conversion, CellsThatAreNoActionLeaveTheirByte) {
    Settings s = defaultSettings();
    ConfigImage img;
    img[returnAction(5, 2)] = 3;
    s.input(5).returnAction[1].text = "X";
    convert(s, img);
    EXPECT_EQ(img[returnAction(5, 2)], 3);
}

TEST(Conversion, FixedBytesFlagsAndMasks) {
    Settings s = defaultSettings();
    ConfigImage img;
    img.putTextField("garbage-name", oOUTPUT_NAME, 75);
    img[oOUTPUT_ZERO] = 7;
    img[oFLAGS3] = 0xFF;
    img[inputFlags(3)] = 0xFF;
    s.input(5).nc = true;
    s.input(5).no = false;
    s.doTest = false;
    convert(s, img);
    for (int i = 0; i < 75; ++i)
        ASSERT_EQ(img[oOUTPUT_NAME + i], 0);
    EXPECT_EQ(img[oOUTPUT_ZERO], 0);
    EXPECT_EQ(img[oDTMF_CONST9], 9);
    EXPECT_EQ(img[oDTMF_ACK_DELAY], 250);
    EXPECT_EQ(img[oDTMF_KISS_OFF_DELAY], 50);
    EXPECT_EQ(img[oFLAGS3], 0);
    EXPECT_EQ(img[inputFlags(3)], 0);
    EXPECT_EQ(img[427], 0x10); // slot 5 NC: bit 4 of the low byte
    EXPECT_EQ(img[426], 0x00);
    EXPECT_TRUE(img[oFLAGS2] & PARAM_NO_TEST);
    s.doTest = true;
    convert(s, img);
    EXPECT_FALSE(img[oFLAGS2] & PARAM_NO_TEST);
    // Defaults: only slot 6 is blocked by input 1, so its bit alone is clear; bit 15 is 0.
    EXPECT_EQ(img.getU16(oZONE_MASK1), 0x7FDF);
    EXPECT_EQ(img[oTEST_PERIOD], 144);
}

TEST(Conversion, OutputParameterOfAListNeverFilledIs255) {
    Settings s = defaultSettings();
    ConfigImage img;
    convert(s, img);
    EXPECT_EQ(img[outputParam(2)], 255);
    s.output(2).type = 4;
    applyOutputTypeRule(s, 2);
    s.output(2).type = 0;
    applyOutputTypeRule(s, 2);
    convert(s, img);
    EXPECT_EQ(img[outputParam(2)], 0);
}

TEST(Conversion, BytesNoSettingCoversAreKept) {
    ConfigImage img;
    for (std::size_t i = 0; i < ConfigImage::kSize; ++i)
        img[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const ConfigImage before = img;
    Settings s = defaultSettings();
    convert(s, img);
    // Not written: the first 27 bytes, 156, 167..172, the prefixes, the tail, slot 16's bytes.
    for (int off :
         {0,    26,   156,  167, 172, 230, 285, 381, 406,  415,  1813, 1852, 1853, 3941, 3958,
          4608, 4785, 5119, 504, 507, 568, 797, 811, 1037, 1172, 1473, 1812, 2853, 3877, 443})
        EXPECT_EQ(img[off], before[off]) << off;
}

TEST(Conversion, ReadingAnImageMirrorsWritingIt) {
    Settings s = defaultSettings();
    s.pin = "1234";
    s.password = "abcd";
    s.object = "7777";
    s.objectName = "Obiekt żółty";
    s.dgg16z = true;
    s.vorkal = false;
    s.smsStam = true;
    s.smsQvs2 = false;
    s.useZone = s.testOnClip = s.enableAnyPhone = s.ledsOff = s.gsmOff = true;
    s.useGprs = s.armSignal = s.armOnClip = s.dgg16zSmsOff = s.enableControlSms = true;
    s.analog3Enable = s.sensor2Enable = s.sensor5Enable = true;
    s.server = "serwer.example";
    s.apn = "apn";
    s.apnUser = "u";
    s.apnPass = "p";
    s.port = "1234";
    s.dtmfPhone = "112";
    s.addPhones[55] = "5555555555";
    s.privPhones[2] = "333";
    s.securityPhones[3] = "444";
    for (int slot = 2; slot <= 15; ++slot) {
        InputRow& r = s.input(slot);
        r.alarmText = "a" + std::to_string(slot);
        r.returnText = "r" + std::to_string(slot);
        r.alarmPhone = std::to_string(500000000 + slot);
        r.returnPhone = std::to_string(600000000 + slot);
        r.alarmPrivText = "pa" + std::to_string(slot);
        r.returnPrivText = "pr" + std::to_string(slot);
        r.reset = slot % 2 == 0;
        r.status = slot % 3 == 0;
        r.zoneBellMask = slot % 4 == 0;
        r.zoneMask = slot % 5 == 0 || slot == 6;
        if (slot >= 5) {
            r.nc = slot % 2 == 1;
            r.no = !r.nc;
        }
        for (int c = 0; c < 4; ++c) {
            const int code = (slot + c) % 5;
            r.alarmAction[static_cast<std::size_t>(c)] = {actionText(code), actionColour(code)};
            const int rc = (slot + 2 * c) % 5;
            r.returnAction[static_cast<std::size_t>(c)] = {actionText(rc), actionColour(rc)};
        }
    }
    s.sensor2LevelH = "31.5";
    s.sensor5LevelL = "-12.3";
    ConfigImage img;
    convert(s, img);
    Settings back = defaultSettings();
    tab2form(img, back);
    // What the image does not hold stays as it was; the test input's return shows "X".
    back.description = s.description;
    for (int slot = 1; slot <= 15; ++slot)
        back.input(slot).description = s.input(slot).description;
    back.input(1).returnText = s.input(1).returnText;
    back.input(1).returnAction = s.input(1).returnAction;
    // The display-only kiss-off delay shows the constant the image holds.
    EXPECT_EQ(back.kissOffDelayText, "50");
    back.kissOffDelayText = s.kissOffDelayText;
    EXPECT_TRUE(back == s);
    ConfigImage again;
    convert(back, again);
    for (std::size_t i = 0; i < ConfigImage::kSize; ++i)
        ASSERT_EQ(img[i], again[i]) << i;
}

// A file can hold any length: every text setting reaches the module as textFieldWidth says its
// field keeps it, a Polish letter one character.
TEST(Conversion, EveryTextSettingReachesTheModuleCutToItsField) {
    std::string longText;
    while (longText.size() < 300)
        longText += "ąęćłńóśźżĄ0123456789";
    IniProfile ini;
    forEachConfigKey(defaultSettings(), [&](const ConfigKey& key, const ConfigValue&) {
        if (textFieldWidth(key.name) > 0) ini.writeString("CONFIG", key.text(), longText);
    });
    Settings s = defaultSettings();
    readQvx(ini, s);
    EXPECT_EQ(s.input(5).alarmPhone, longText); // the settings hold the whole value
    int fields = 0;
    forEachConfigKey(roundTrip(s), [&](const ConfigKey& key, const ConfigValue& value) {
        const bool text = key.name != "ALARM_ACTION" && key.name != "RETURN_ACTION" &&
                          key.name != "OUTPUT_ALIAS" && std::holds_alternative<std::string>(value);
        EXPECT_EQ(textFieldWidth(key.name) > 0, text) << key.text();
        if (!text || (key.index == 1 && key.name.starts_with("RETURN_"))) return; // alarm's
        ++fields;
        EXPECT_EQ(std::get<std::string>(value), keptInField(longText, textFieldWidth(key.name)))
            << key.text();
    });
    EXPECT_EQ(fields, 160); // every text field but slot 1's three return fields
    EXPECT_EQ(keptInField("ąęć", 2), "ąę");
}

} // namespace qv
