#pragma once
// A configuration with every field set: every text filled to its limit with Polish letters and
// a marker of its own (so a test can find each one), every flag on, lists away from their
// defaults, every action code used, outputs of every kind of parameter.
#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "config/settings.hpp"

#include <cstddef>
#include <string>

namespace qv::test {

// marker followed by Polish text up to length characters; spaced = false gives one long word.
inline std::string filledText(const std::string& marker, std::size_t length, bool spaced = true) {
    static const char* const kLetters[] = {"ż", "ó", "ł", "ć", "ę", "ś", "ą", "ź", "ń", "Ż",
                                           "Ó", "Ł", "Ć", "Ę", "Ś", "Ą", "Ź", "Ń", "a", "b"};
    std::string t = marker;
    std::size_t chars = marker.size(); // markers are ASCII
    for (std::size_t k = 0; chars < length; ++k, ++chars)
        t += spaced && k % 7 == 6 ? " " : kLetters[k % 20];
    return t;
}

inline std::string two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

inline Settings fullSettings() {
    Settings s;
    applyDefaults(s);
    s.pin = "1234";
    s.password = "ab12";
    s.eventCnt = 8;
    s.eventCntReset = 59;
    s.eventCntResetOnClip = true;
    s.testPeriod = 143;
    s.doTest = true;
    s.econoMode = 1;
    s.retryCnt = 9;
    s.clipTime = 0;
    s.object = "9A7F";
    s.objectName = filledText("ON", 64);
    s.useZone = true;
    setRadio(s.dgg16z, s.vorkal, true);
    s.dgg16zSmsOff = true;
    setRadio(s.smsStam, s.smsQvs2, true);
    s.testOnClip = true;
    s.enableControlSms = true;
    s.enableAnyPhone = true;
    s.ledsOff = true;
    s.gsmOff = true;
    s.gsmLevel = 31;
    s.acLevel = 23;
    s.accuMax = 10;
    s.accuMin = 20;
    s.analog3Enable = true;
    s.analog3 = 239;
    s.analog4Enable = true;
    s.analog4 = 123;
    s.sensor2Enable = true;
    s.sensor5Enable = true;
    s.sensor2LevelH = "85.5";
    s.sensor2LevelL = "-12.3";
    s.sensor5LevelH = "44.4";
    s.sensor5LevelL = "-33.3";
    for (int k = 1; k <= memmap::kAdditionalPhones; ++k)
        s.addPhones[static_cast<std::size_t>(k - 1)] = "5" + two(k) + "4445556"; // 10 digits
    for (int k = 1; k <= memmap::kPrivatePhones; ++k)
        s.privPhones[static_cast<std::size_t>(k - 1)] = "+4860" + std::to_string(k) + "111222333";
    for (int k = 1; k <= memmap::kSecurityPhones; ++k)
        s.securityPhones[static_cast<std::size_t>(k - 1)] =
            "+4870" + std::to_string(k) + "444555666";
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
        InputRow& r = s.input(slot);
        if (slot >= 5) {
            r.nc = slot % 2 == 1;
            r.no = !r.nc;
        }
        r.deafTime = slot == 2 ? 89 : (slot == 1 ? 9 : 33 - slot);
        r.reset = slot != 1;
        r.status = slot == 7;
        for (int c = 1; c <= memmap::kActionColumns; ++c) {
            const auto col = static_cast<std::size_t>(c - 1);
            r.alarmAction[col] =
                ActionCell{actionText((slot + c) % 5), actionColour((slot + c) % 5)};
            if (slot != 1)
                r.returnAction[col] =
                    ActionCell{actionText((slot + c + 2) % 5), actionColour((slot + c + 2) % 5)};
        }
        r.alarmText = filledText("AT" + two(slot), 20);
        r.returnText = filledText("RT" + two(slot), 20);
        r.alarmPhone = "+4850" + two(slot) + "12345678";  // 15 characters
        r.returnPhone = "+4851" + two(slot) + "87654321"; // 15 characters
        r.alarmPrivText = filledText("AP" + two(slot), 64, false);
        r.returnPrivText = filledText("RP" + two(slot), 64);
        r.description = filledText("DE" + two(slot), 100);
        r.zoneMask = slot >= 6;
        r.zoneBellMask = slot >= 2;
    }
    s.useGprs = true;
    s.server = filledText("SV", 50, false);
    s.port = "65535";
    s.apn = filledText("APN", 50);
    s.apnUser = filledText("AU", 20);
    s.apnPass = filledText("AX", 20);
    s.pingTime = 14;
    s.dtmfPhone = "+48799888777666";
    s.dtmfType = 0;
    s.zone1Delay = 12;
    s.armDelay = 11;
    s.bellTime = 59;
    const int types[] = {1, 4, 5, 7, 6};
    const int params[] = {0, 14, 254, 9, 0};
    for (int o = 1; o <= memmap::kOutputs; ++o) {
        s.output(o).type = types[o - 1];
        applyOutputTypeRule(s, o);
        if (s.output(o).list != ParamList::Empty) s.output(o).param = params[o - 1];
    }
    s.armSignal = true;
    s.armOnClip = true;
    s.description = {filledText("MEMO1 ", 120), "Druga linia opisu: żółć", "MEMO3"};
    return s;
}

} // namespace qv::test
