#include "config/config_keys.hpp"

#include "common/text_format.hpp"

namespace qv {

using namespace memmap;

std::string ConfigKey::text() const {
    std::string t(name);
    if (index > 0) t += (dotted ? "." : "") + std::to_string(index);
    if (column > 0) t += "." + std::to_string(column);
    return t;
}

namespace {

// A temperature box's text as the number it stands for (0 when it is no number).
double boxNumber(const std::string& text) {
    return parseDecimal(text).value_or(0.0);
}

std::size_t at(int oneBased) {
    return static_cast<std::size_t>(oneBased - 1);
}

} // namespace

void forEachConfigKey(const Settings& s, const ConfigKeyVisitor& visit) {
    const auto one = [&](std::string_view name, ConfigValue v) { visit({name}, v); };
    const auto numbered = [&](std::string_view name, int count, const auto& value) {
        for (int k = 1; k <= count; ++k)
            visit({name, k}, ConfigValue(value(k)));
    };
    const auto perSlot = [&](std::string_view name, const auto& field) {
        numbered(name, kInputSlots, [&](int slot) { return field(s.input(slot)); });
    };
    const auto actions = [&](std::string_view name, const auto& cells) {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            for (int c = 1; c <= kActionColumns; ++c)
                visit({name, slot, c}, ConfigValue(cells(s.input(slot))[at(c)].text));
    };

    one("PIN", s.pin);
    one("PASSWORD", s.password);
    one("EVENT_COUNTER", s.eventCnt);
    one("EVENT_COUNTER_RESET", s.eventCntReset);
    one("EVENT_CNT_RESET_ON_CLIP", s.eventCntResetOnClip);
    one("TEST_PERIOD", s.testPeriod);
    one("DO_TEST", s.doTest);
    one("ECONO_MODE", s.econoMode);
    one("RETRY_COUNTER", s.retryCnt);
    one("CLIP_LENGTH", s.clipTime);
    one("OBJECT", s.object);
    one("OBJECT_NAME", s.objectName);
    one("USE_ZONE", s.useZone);
    one("VORKAL_MODE", s.vorkal);
    one("DGG16Z", s.dgg16z);
    one("DGG16Z_SMS_OFF", s.dgg16zSmsOff);
    one("DTMF_SMS_QVS2", s.smsQvs2);
    one("DTMF_SMS_STAM", s.smsStam);
    one("TEST_ON_CLIP", s.testOnClip);
    one("ENABLE_CONTROL_SMS", s.enableControlSms);
    one("ENABLE_ANY_PHONE", s.enableAnyPhone);
    one("LEDS_OFF", s.ledsOff);
    one("GSM_OFF", s.gsmOff);
    one("GSM_LEVEL", s.gsmLevel);
    one("AC_LEVEL", s.acLevel);
    one("ACCU_MAX", s.accuMax);
    one("ACCU_MIN", s.accuMin);
    one("ANALOG_INPUT_3_ENABLE", s.analog3Enable);
    one("ANALOG_INPUT_3", s.analog3);
    one("ANALOG_INPUT_4_ENABLE", s.analog4Enable);
    one("ANALOG_INPUT_4", s.analog4);
    one("SENSOR_2_ENABLE", s.sensor2Enable);
    one("SENSOR_5_ENABLE", s.sensor5Enable);
    one("SENSOR_2_LevelH", boxNumber(s.sensor2LevelH));
    one("SENSOR_2_LevelL", boxNumber(s.sensor2LevelL));
    one("SENSOR_5_LevelH", boxNumber(s.sensor5LevelH));
    one("SENSOR_5_LevelL", boxNumber(s.sensor5LevelL));
    numbered("ADD_PHONE", kAdditionalPhones, [&](int k) { return s.addPhones[at(k)]; });
    actions(
        "ALARM_ACTION", [](const InputRow& r) -> const auto& { return r.alarmAction; });
    actions(
        "RETURN_ACTION", [](const InputRow& r) -> const auto& { return r.returnAction; });
    perSlot("ALARM_PHONE", [](const InputRow& r) { return r.alarmPhone; });
    perSlot("RETURN_PHONE", [](const InputRow& r) { return r.returnPhone; });
    perSlot("ALARM_TEXT", [](const InputRow& r) { return r.alarmText; });
    perSlot("RETURN_TEXT", [](const InputRow& r) { return r.returnText; });
    numbered("PRIV_PHONE", kPrivatePhones, [&](int k) { return s.privPhones[at(k)]; });
    numbered("SECURITY_PHONE", kSecurityPhones, [&](int k) { return s.securityPhones[at(k)]; });
    perSlot("ALARM_PRIV_TEXT", [](const InputRow& r) { return r.alarmPrivText; });
    perSlot("RETURN_PRIV_TEXT", [](const InputRow& r) { return r.returnPrivText; });
    one("USE_GPRS", s.useGprs);
    one("SERVER", s.server);
    one("PORT", s.port);
    one("APN", s.apn);
    one("APN_USER", s.apnUser);
    one("APN_PASS", s.apnPass);
    one("PING_TIME", s.pingTime);
    one("DTMF_PHONE", s.dtmfPhone);
    one("DTMF_TYPE", s.dtmfType);
    perSlot("INPUT_NO", [](const InputRow& r) { return r.no; });
    perSlot("INPUT_NC", [](const InputRow& r) { return r.nc; });
    perSlot("INPUT_DEAF_TIME", [](const InputRow& r) { return r.deafTime; });
    perSlot("INPUT_RESET", [](const InputRow& r) { return r.reset; });
    perSlot("INPUT_STATUS", [](const InputRow& r) { return r.status; });
    one("ZONE1_DELAY", s.zone1Delay);
    one("ARM_DELAY", s.armDelay);
    one("BELL_TIME", s.bellTime);
    perSlot("ZONE_MASK1", [](const InputRow& r) { return r.zoneMask; });
    perSlot("ZONE_BELL_MASK1", [](const InputRow& r) { return r.zoneBellMask; });
    for (int o = 1; o <= kOutputs; ++o)
        visit({"OUTPUT_TYPE", o, 0, false}, ConfigValue(s.output(o).type));
    // Each output's parameter is followed by its alias, which has no editor: always empty.
    for (int o = 1; o <= kOutputs; ++o) {
        visit({"OUTPUT_PARAM", o, 0, false}, ConfigValue(s.output(o).param));
        visit({"OUTPUT_ALIAS", o, 0, false}, ConfigValue(std::string()));
    }
    one("ARM_SIGNAL", s.armSignal);
    one("ARM_ON_CLIP", s.armOnClip);
}

} // namespace qv
