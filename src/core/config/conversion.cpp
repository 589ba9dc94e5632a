#include "config/conversion.hpp"

#include "common/cp1250.hpp"
#include "common/text_format.hpp"
#include "config/item_lists.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace qv {

using namespace memmap;

namespace {

std::uint8_t byteOf(int v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

void setBit(ConfigImage& img, int offset, std::uint8_t bit, bool on) {
    if (on) img[offset] = static_cast<std::uint8_t>(img[offset] | bit);
}
bool bitOf(const ConfigImage& img, int offset, std::uint8_t bit) {
    return (img[offset] & bit) != 0;
}

// A 16-bit mask built from slot 15 down to slot 1, so bit s-1 belongs to slot s.
template <class F> std::uint16_t slotMask(F&& bitForSlot) {
    std::uint16_t mask = 0;
    for (int s = kInputSlots; s >= 1; --s)
        mask = static_cast<std::uint16_t>((mask << 1) | (bitForSlot(s) ? 1 : 0));
    return mask;
}

void writeActionColumns(const Settings& s, ConfigImage& img, int firstColumn, int lastColumn) {
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        const InputRow& row = s.input(slot);
        for (int c = firstColumn; c <= lastColumn; ++c) {
            const auto k = static_cast<std::size_t>(c - 1);
            const int alarm = actionCodeOfText(row.alarmAction[k].text);
            if (alarm >= 0) img[alarmAction(slot, c)] = byteOf(alarm);
            const int ret = actionCodeOfText(row.returnAction[k].text);
            if (ret >= 0) img[returnAction(slot, c)] = byteOf(ret);
        }
    }
}

// Plain decimal text ("-4.7", "26", ".5") as exact tenths: truncated and rounded half away
// from zero. Returns false for any other form.
bool exactTenths(std::string_view t, long long& truncated, long long& rounded) {
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    long long whole = 0;
    int d1 = 0, d2 = 0, digits = 0, fracDigits = 0;
    bool point = false;
    for (const char c : t) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        ++digits;
        if (!point) {
            if (whole > 100'000'000'000'000LL) return false; // leave huge numbers to doubles
            whole = whole * 10 + (c - '0');
        } else {
            if (fracDigits == 0) d1 = c - '0';
            if (fracDigits == 1) d2 = c - '0';
            ++fracDigits;
        }
    }
    if (digits == 0) return false;
    const long long tenths = whole * 10 + d1;
    truncated = negative ? -tenths : tenths;
    const long long up = tenths + (d2 >= 5 ? 1 : 0);
    rounded = negative ? -up : up;
    return true;
}

std::string tenthsText(long long tenths) {
    const bool negative = tenths < 0;
    const long long m = negative ? -tenths : tenths;
    return std::string(negative ? "-" : "") + std::to_string(m / 10) + "." + std::to_string(m % 10);
}

std::uint16_t low16(long long v) {
    return static_cast<std::uint16_t>(static_cast<unsigned long long>(v) & 0xFFFF);
}

} // namespace

Temperature temperatureFromText(const std::string& text) {
    const std::string_view t = trimBlanks(text);
    long long truncated = 0, rounded = 0;
    if (exactTenths(t, truncated, rounded)) return {tenthsText(rounded), low16(truncated)};
    const double v = parseDecimal(t).value_or(0.0);
    const double times10 = std::trunc(v * 10.0);
    const std::string shown = formatFixed1(v);
    const double wrapped = std::fmod(times10, 65536.0);
    return {shown, low16(static_cast<long long>(wrapped))};
}

std::string temperatureText(std::uint16_t stored) {
    return tenthsText(static_cast<std::int16_t>(stored));
}

int textFieldWidth(std::string_view key) {
    // The fields form2tab writes each text key into.
    static constexpr std::pair<std::string_view, int> kWidths[] = {
        {"PIN", wPIN},
        {"PASSWORD", wPASSWORD},
        {"OBJECT", wOBJECT},
        {"OBJECT_NAME", wOBJECT_NAME},
        {"ADD_PHONE", wADD_PHONE},
        {"ALARM_PHONE", wPHONE},
        {"RETURN_PHONE", wPHONE},
        {"ALARM_TEXT", wSMS_TEXT},
        {"RETURN_TEXT", wSMS_TEXT},
        {"PRIV_PHONE", wPHONE},
        {"SECURITY_PHONE", wPHONE},
        {"ALARM_PRIV_TEXT", wPRIV_TEXT},
        {"RETURN_PRIV_TEXT", wPRIV_TEXT},
        {"SERVER", wSERVER},
        {"PORT", wPORT},
        {"APN", wAPN},
        {"APN_USER", wAPN_USER},
        {"APN_PASS", wAPN_PASS},
        {"DTMF_PHONE", wPHONE},
    };
    for (const auto& [name, width] : kWidths)
        if (name == key) return width;
    return 0;
}

std::string keptInField(std::string_view utf8, int width) {
    const std::string raw = toCp1250(utf8);
    return fromCp1250(
        std::string_view(raw).substr(0, static_cast<std::size_t>(std::max(width, 0))));
}

void form2tab(Settings& s, ConfigImage& img, const std::string& configFileName,
              const std::string& progDate) {
    img[oFLAGS1] = img[oFLAGS2] = img[oFLAGS3] = 0;
    for (int slot = 1; slot <= kInputSlots; ++slot)
        img[inputFlags(slot)] = 0;

    img.putTextField(progDate, oPROG_DATE, wPROG_DATE);
    img.putTextField(configFileName, oFILE_NAME, wFILE_NAME);
    img.putTextField(s.pin, oPIN, wPIN);
    img.putTextField(s.password, oPASSWORD, wPASSWORD);
    img[oEVENT_CNT] = byteOf(s.eventCnt + 1);
    img[oEVENT_CNT_RESET] = byteOf(s.eventCntReset + 1);
    setBit(img, oFLAGS2, PARAM_EVENT_CNT_RESET_ON_CLIP, s.eventCntResetOnClip);
    img[oTEST_PERIOD] = byteOf(s.testPeriod + 1);
    setBit(img, oFLAGS1, PARAM_ECONO_MODE, s.econoMode == 1);
    img[oRETRY_CNT] = byteOf(s.retryCnt + 1);
    img[oCLIP_TIME] = byteOf(s.clipTime + 1);
    img.putTextField(s.object, oOBJECT, wOBJECT);
    img.putTextField(s.objectName, oOBJECT_NAME, wOBJECT_NAME);
    setBit(img, oFLAGS1, PARAM_CENTRALKA, s.useZone);
    setBit(img, oFLAGS1, PARAM_TEST_ON_CLIP, s.testOnClip);
    setBit(img, oFLAGS1, PARAM_DGG16Z, s.dgg16z);
    setBit(img, oFLAGS3, PARAM_DGG16Z_SMS_OFF, s.dgg16zSmsOff);
    setBit(img, oFLAGS3, PARAM_SMS_STAM, s.smsStam);
    setBit(img, oFLAGS2, PARAM_ENABLE_CONTROL_SMS, s.enableControlSms);
    setBit(img, oFLAGS2, PARAM_ENABLE_ANY_PHONE, s.enableAnyPhone);
    setBit(img, oFLAGS2, PARAM_NO_TEST, !s.doTest);
    setBit(img, oFLAGS2, PARAM_LEDS_OFF, s.ledsOff);
    setBit(img, oFLAGS2, PARAM_GSM_OFF, s.gsmOff);
    img[oGSM_LEVEL] = byteOf(s.gsmLevel);
    img[oAC_LEVEL] = byteOf(s.acLevel * 10 + 10);
    img[oACCU_MAX] = byteOf(s.accuMax + 115);
    img[oACCU_MIN] = byteOf(s.accuMin + 95);
    for (int k = 1; k <= kAdditionalPhones; ++k)
        img.putTextField(s.addPhones[static_cast<std::size_t>(k - 1)], addPhone(k), wADD_PHONE);
    img.putU16(oINPUT_TYPE, slotMask([&](int slot) { return s.input(slot).nc; }));
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        const int idx = s.input(slot).deafTime;
        img[inputDeafTime(slot)] = byteOf(slot == 2 ? idx : (idx < 10 ? idx : 10 * idx - 81));
    }
    for (int slot = 1; slot <= kInputSlots; ++slot)
        setBit(img, inputFlags(slot), INPUT_RESET, s.input(slot).reset);
    setBit(img, inputFlags(7), INPUT_ANALOG, s.analog3Enable);
    img[ANALOG_INPUT_3] = byteOf(s.analog3);
    setBit(img, inputFlags(8), INPUT_ANALOG, s.analog4Enable);
    img[ANALOG_INPUT_4] = byteOf(s.analog4);
    for (int slot = 1; slot <= kInputSlots; ++slot)
        setBit(img, inputFlags(slot), INPUT_STATUS, s.input(slot).status);
    setBit(img, inputFlags(6), INPUT_SENSOR, s.sensor2Enable);
    setBit(img, inputFlags(9), INPUT_SENSOR, s.sensor5Enable);
    const std::pair<std::string*, int> sensors[] = {{&s.sensor2LevelL, oSENSOR2_LOW},
                                                    {&s.sensor2LevelH, oSENSOR2_HIGH},
                                                    {&s.sensor5LevelL, oSENSOR5_LOW},
                                                    {&s.sensor5LevelH, oSENSOR5_HIGH}};
    for (const auto& [box, offset] : sensors) {
        const Temperature t = temperatureFromText(*box);
        *box = t.text;
        img.putU16(offset, t.stored);
    }
    writeActionColumns(s, img, 1, 1);
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        const InputRow& row = s.input(slot);
        img.putTextField(row.alarmText, alarmText(slot), wSMS_TEXT);
        img.putTextField(slot == 1 ? row.alarmText : row.returnText, returnText(slot), wSMS_TEXT);
    }
    for (int slot = 1; slot <= kInputSlots; ++slot)
        img.putTextField(s.input(slot).alarmPhone, alarmPhone(slot), wPHONE);
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        const InputRow& row = s.input(slot);
        img.putTextField(slot == 1 ? row.alarmPhone : row.returnPhone, returnPhone(slot), wPHONE);
    }
    writeActionColumns(s, img, 2, kActionColumns);
    // The test input has no return notification of its own: it returns with its alarm values.
    for (int c = 1; c <= kActionColumns; ++c)
        img[returnAction(1, c)] = img[alarmAction(1, c)];
    for (int k = 1; k <= kPrivatePhones; ++k)
        img.putTextField(s.privPhones[static_cast<std::size_t>(k - 1)], privPhone(k), wPHONE);
    for (int k = 1; k <= kSecurityPhones; ++k)
        img.putTextField(s.securityPhones[static_cast<std::size_t>(k - 1)], securityPhone(k),
                         wPHONE);
    for (int slot = 1; slot <= kInputSlots; ++slot)
        img.putTextField(s.input(slot).alarmPrivText, alarmPrivText(slot), wPRIV_TEXT);
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        const InputRow& row = s.input(slot);
        img.putTextField(slot == 1 ? row.alarmPrivText : row.returnPrivText, returnPrivText(slot),
                         wPRIV_TEXT);
    }
    setBit(img, oFLAGS1, PARAM_USE_GPRS, s.useGprs);
    img.putTextField(s.server, oSERVER, wSERVER);
    img.putTextField(s.port, oPORT, wPORT);
    img.putTextField(s.apn, oAPN, wAPN);
    img.putTextField(s.apnUser, oAPN_USER, wAPN_USER);
    img.putTextField(s.apnPass, oAPN_PASS, wAPN_PASS);
    img[oPING_TIME] = byteOf(s.pingTime + 1);
    img.putTextField(s.dtmfPhone, oDTMF_PHONE, wPHONE);
    img[oDTMF_TYPE] = byteOf(s.dtmfType);
    img[oDTMF_CONST9] = 9;
    img[oDTMF_ACK_DELAY] = 250;
    img[oDTMF_KISS_OFF_DELAY] = 50;
    img[oINPUT_DELAY] = byteOf(s.zone1Delay * 5);
    img[oARM_DELAY] = byteOf(s.armDelay * 5);
    for (int o = 1; o <= kOutputs; ++o) {
        const OutputRow& out = s.output(o);
        img[outputType(o)] = byteOf(out.type);
        img[outputParam(o)] = byteOf(out.param);
        // Output names have no editor: the window's alias is always empty.
        img.putTextField("", outputName(o), wOUTPUT_NAME);
    }
    img[oOUTPUT_ZERO] = 0;
    img.putU16(oZONE_MASK1, slotMask([&](int slot) { return !s.input(slot).zoneMask; }));
    img.putU16(oZONE_BELL_MASK1, slotMask([&](int slot) { return s.input(slot).zoneBellMask; }));
    setBit(img, oFLAGS1, PARAM_ARM_SIGNAL, s.armSignal);
    setBit(img, oFLAGS3, PARAM_ARM_ON_CLIP, s.armOnClip);
    img[oBELL_TIME] = byteOf(s.bellTime + 1);
}

namespace {

// Runs one group of the image-to-settings conversion; a failure is reported by name and the
// conversion goes on with the next group.
template <class F>
void guarded(const ConversionErrorHandler& onError, const char* name, F&& group) {
    try {
        group();
    } catch (const std::exception&) {
        if (onError) onError(std::string("ERROR while convertion: ") + name);
    }
}

void readFlag(bool& box, const ConfigImage& img, int offset, std::uint8_t bit) {
    box = false;
    if (bitOf(img, offset, bit)) box = true;
}

void readActionColumns(const ConfigImage& img, Settings& s, int firstColumn, int lastColumn) {
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        InputRow& row = s.input(slot);
        for (int c = firstColumn; c <= lastColumn; ++c) {
            const auto k = static_cast<std::size_t>(c - 1);
            for (auto [cell, offset] :
                 {std::pair{&row.alarmAction.at(k), alarmAction(slot, c)},
                  std::pair{&row.returnAction.at(k), returnAction(slot, c)}}) {
                const int code = img[offset];
                if (code < kActionCodes) {
                    cell->text = actionText(code);
                    cell->colour = actionColour(code);
                } else {
                    // A code the program has no text for shows as an empty cell.
                    cell->text.clear();
                    cell->colour = ActionColour::White;
                }
            }
        }
    }
    for (int c = firstColumn; c <= lastColumn; ++c)
        s.input(1).returnAction.at(static_cast<std::size_t>(c - 1)).text = kNotApplicable;
}

} // namespace

void tab2form(const ConfigImage& img, Settings& s, const ConversionErrorHandler& onError) {
    const auto listIdx = [](int value, int count) { return selectItem(value, count); };
    const int testPeriodCount = s.testPeriodListBuilt ? items::kTestPeriodItems : 0;

    s.pin = img.getTextField(oPIN, wPIN);
    s.password = img.getTextField(oPASSWORD, wPASSWORD);
    s.eventCnt = listIdx(img[oEVENT_CNT] - 1, 9);
    guarded(onError, "oEVENT_CNT_RESET",
            [&] { s.eventCntReset = listIdx(img[oEVENT_CNT_RESET] - 1, 60); });
    guarded(onError, "PARAM_EVENT_CNT_RESET_ON_CLIP",
            [&] { readFlag(s.eventCntResetOnClip, img, oFLAGS2, PARAM_EVENT_CNT_RESET_ON_CLIP); });
    guarded(onError, "oTEST_PERIOD",
            [&] { s.testPeriod = listIdx(img[oTEST_PERIOD] - 1, testPeriodCount); });
    guarded(onError, "PARAM_ECONO_MODE",
            [&] { s.econoMode = bitOf(img, oFLAGS1, PARAM_ECONO_MODE) ? 1 : 0; });
    guarded(onError, "oRETRY_CNT", [&] { s.retryCnt = listIdx(img[oRETRY_CNT] - 1, 10); });
    guarded(onError, "oCLIP_TIME", [&] { s.clipTime = listIdx(img[oCLIP_TIME] - 1, 3); });
    s.object = img.getTextField(oOBJECT, wOBJECT);
    s.objectName = img.getTextField(oOBJECT_NAME, wOBJECT_NAME);
    guarded(onError, "PARAM_CENTRALKA",
            [&] { readFlag(s.useZone, img, oFLAGS1, PARAM_CENTRALKA); });
    guarded(onError, "PARAM_TEST_ON_CLIP",
            [&] { readFlag(s.testOnClip, img, oFLAGS1, PARAM_TEST_ON_CLIP); });
    guarded(onError, "PARAM_DGG16Z", [&] {
        setRadio(s.vorkal, s.dgg16z, true);
        if (bitOf(img, oFLAGS1, PARAM_DGG16Z)) setRadio(s.dgg16z, s.vorkal, true);
    });
    guarded(onError, "PARAM_DGG16Z_SMS_OFF",
            [&] { readFlag(s.dgg16zSmsOff, img, oFLAGS3, PARAM_DGG16Z_SMS_OFF); });
    guarded(onError, "PARAM_SMS_STAM", [&] {
        setRadio(s.smsQvs2, s.smsStam, true);
        if (bitOf(img, oFLAGS3, PARAM_SMS_STAM)) setRadio(s.smsStam, s.smsQvs2, true);
    });
    guarded(onError, "PARAM_ENABLE_CONTROL_SMS",
            [&] { readFlag(s.enableControlSms, img, oFLAGS2, PARAM_ENABLE_CONTROL_SMS); });
    guarded(onError, "PARAM_ENABLE_ANY_PHONE",
            [&] { readFlag(s.enableAnyPhone, img, oFLAGS2, PARAM_ENABLE_ANY_PHONE); });
    guarded(onError, "PARAM_NO_TEST", [&] {
        s.doTest = true;
        if (bitOf(img, oFLAGS2, PARAM_NO_TEST)) s.doTest = false;
    });
    guarded(onError, "PARAM_LEDS_OFF", [&] { readFlag(s.ledsOff, img, oFLAGS2, PARAM_LEDS_OFF); });
    guarded(onError, "PARAM_GSM_OFF", [&] { readFlag(s.gsmOff, img, oFLAGS2, PARAM_GSM_OFF); });
    guarded(onError, "oINPUT_TYPE", [&] {
        const std::uint16_t mask = img.getU16(oINPUT_TYPE);
        for (int slot = 1; slot <= kInputSlots; ++slot) {
            InputRow& row = s.input(slot);
            setRadio(row.no, row.nc, true);
            if (mask & (1u << (slot - 1))) setRadio(row.nc, row.no, true);
        }
    });
    guarded(onError, "oINPUT_DEAF_TIME", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot) {
            const int v = img[inputDeafTime(slot)];
            const int count = slot == 2 ? items::kInputTimeItemsSlot2 : items::kInputTimeItems;
            s.input(slot).deafTime = listIdx(v <= 10 ? v : (v + 1) / 10 + 8, count);
        }
        s.input(2).deafTime = listIdx(img[inputDeafTime(2)], items::kInputTimeItemsSlot2);
    });
    guarded(onError, "INPUT_RESET", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            readFlag(s.input(slot).reset, img, inputFlags(slot), INPUT_RESET);
    });
    guarded(onError, "ANALOG_INPUT_3", [&] {
        readFlag(s.analog3Enable, img, inputFlags(7), INPUT_ANALOG);
        s.analog3 = listIdx(img[ANALOG_INPUT_3], items::kAnalogItems);
    });
    guarded(onError, "ANALOG_INPUT_4", [&] {
        readFlag(s.analog4Enable, img, inputFlags(8), INPUT_ANALOG);
        s.analog4 = listIdx(img[ANALOG_INPUT_4], items::kAnalogItems);
    });
    guarded(onError, "Czujka2&5", [&] {
        readFlag(s.sensor2Enable, img, inputFlags(6), INPUT_SENSOR);
        readFlag(s.sensor5Enable, img, inputFlags(9), INPUT_SENSOR);
    });
    guarded(onError, "EditCzujka2LevelL",
            [&] { s.sensor2LevelL = temperatureText(img.getU16(oSENSOR2_LOW)); });
    guarded(onError, "EditCzujka2LevelH",
            [&] { s.sensor2LevelH = temperatureText(img.getU16(oSENSOR2_HIGH)); });
    guarded(onError, "EditCzujka5LevelL",
            [&] { s.sensor5LevelL = temperatureText(img.getU16(oSENSOR5_LOW)); });
    guarded(onError, "EditCzujka5LevelH",
            [&] { s.sensor5LevelH = temperatureText(img.getU16(oSENSOR5_HIGH)); });
    guarded(onError, "fINPUT_STATUS", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            readFlag(s.input(slot).status, img, inputFlags(slot), INPUT_STATUS);
    });
    // A track bar holds only positions 0..31.
    guarded(onError, "oGSM_LEVEL", [&] { s.gsmLevel = std::min<int>(img[oGSM_LEVEL], 31); });
    guarded(onError, "oAC_LEVEL", [&] { s.acLevel = listIdx(img[oAC_LEVEL] / 10 - 1, 24); });
    guarded(onError, "oACCU_MAX", [&] { s.accuMax = listIdx(img[oACCU_MAX] - 115, 11); });
    guarded(onError, "oACCU_MIN", [&] { s.accuMin = listIdx(img[oACCU_MIN] - 95, 21); });
    guarded(onError, "oADD_PHONE", [&] {
        for (int k = 1; k <= kAdditionalPhones; ++k)
            s.addPhones.at(static_cast<std::size_t>(k - 1)) =
                img.getTextField(addPhone(k), wADD_PHONE);
    });
    guarded(onError, "ALARM_ACTION / RETURN_ACTION", [&] { readActionColumns(img, s, 1, 1); });
    guarded(onError, "ALARM_TEXT / RETURN_TEXT", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot) {
            s.input(slot).alarmText = img.getTextField(alarmText(slot), wSMS_TEXT);
            s.input(slot).returnText = img.getTextField(returnText(slot), wSMS_TEXT);
        }
    });
    guarded(onError, "ALARM_PHONE", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            s.input(slot).alarmPhone = img.getTextField(alarmPhone(slot), wPHONE);
    });
    guarded(onError, "RETURN_PHONE", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            s.input(slot).returnPhone = img.getTextField(returnPhone(slot), wPHONE);
    });
    guarded(onError, "ALARM_ACTION / RETURN_ACTION",
            [&] { readActionColumns(img, s, 2, kActionColumns); });
    guarded(onError, "PRIV_PHONE", [&] {
        for (int k = 1; k <= kPrivatePhones; ++k)
            s.privPhones.at(static_cast<std::size_t>(k - 1)) =
                img.getTextField(privPhone(k), wPHONE);
    });
    for (int k = 1; k <= kSecurityPhones; ++k)
        s.securityPhones[static_cast<std::size_t>(k - 1)] =
            img.getTextField(securityPhone(k), wPHONE);
    guarded(onError, "oALARM_PRIV_TEXT", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            s.input(slot).alarmPrivText = img.getTextField(alarmPrivText(slot), wPRIV_TEXT);
    });
    guarded(onError, "oRETURN_PRIV_TEXT", [&] {
        for (int slot = 1; slot <= kInputSlots; ++slot)
            s.input(slot).returnPrivText = img.getTextField(returnPrivText(slot), wPRIV_TEXT);
    });
    guarded(onError, "PARAM_USE_GPRS", [&] { readFlag(s.useGprs, img, oFLAGS1, PARAM_USE_GPRS); });
    s.server = img.getTextField(oSERVER, wSERVER);
    s.port = img.getTextField(oPORT, wPORT);
    s.apn = img.getTextField(oAPN, wAPN);
    s.apnUser = img.getTextField(oAPN_USER, wAPN_USER);
    s.apnPass = img.getTextField(oAPN_PASS, wAPN_PASS);
    guarded(onError, "oPING_TIME", [&] { s.pingTime = listIdx(img[oPING_TIME] - 1, 15); });
    s.dtmfPhone = img.getTextField(oDTMF_PHONE, wPHONE);
    guarded(onError, "oDTMF_TYPE", [&] { s.dtmfType = listIdx(img[oDTMF_TYPE], 1); });
    guarded(onError, "oDTMF_ACK_DELAY",
            [&] { s.ackDelayText = std::to_string(img[oDTMF_ACK_DELAY]); });
    guarded(onError, "oDTMF_KISS_OFF_DELAY",
            [&] { s.kissOffDelayText = std::to_string(img[oDTMF_KISS_OFF_DELAY]); });
    guarded(onError, "oINPUT_DELAY", [&] { s.zone1Delay = listIdx(img[oINPUT_DELAY] / 5, 13); });
    guarded(onError, "oARM_DELAY", [&] { s.armDelay = listIdx(img[oARM_DELAY] / 5, 13); });
    guarded(onError, "fOUTPUT_TYPE", [&] {
        for (int o = 1; o <= kOutputs; ++o) {
            OutputRow& out = s.output(o);
            out.type = listIdx(img[outputType(o)], items::kOutputTypeItems);
            applyOutputTypeRule(s, o);
            out.param = listIdx(img[outputParam(o)], out.paramItemCount());
            (void)img.getTextField(outputName(o), wOUTPUT_NAME); // read and discarded
        }
    });
    guarded(onError, "fZONE_MASK1", [&] {
        const std::uint16_t mask = img.getU16(oZONE_MASK1);
        for (int slot = 1; slot <= kInputSlots; ++slot)
            s.input(slot).zoneMask = (mask & (1u << (slot - 1))) == 0;
    });
    guarded(onError, "fZONE_BELL_MASK1", [&] {
        const std::uint16_t mask = img.getU16(oZONE_BELL_MASK1);
        for (int slot = 1; slot <= kInputSlots; ++slot)
            s.input(slot).zoneBellMask = (mask & (1u << (slot - 1))) != 0;
    });
    guarded(onError, "PARAM_ARM_SIGNAL",
            [&] { readFlag(s.armSignal, img, oFLAGS1, PARAM_ARM_SIGNAL); });
    guarded(onError, "fARM_ON_CLIP",
            [&] { readFlag(s.armOnClip, img, oFLAGS3, PARAM_ARM_ON_CLIP); });
    guarded(onError, "fBELL_TIME", [&] { s.bellTime = listIdx(img[oBELL_TIME] - 1, 60); });
}

} // namespace qv
