#include "config/config_file.hpp"

#include "common/text_format.hpp"
#include "config/config_keys.hpp"
#include "config/conversion.hpp"
#include "config/item_lists.hpp"

namespace qv {

using namespace memmap;

namespace {

constexpr const char* kHeader = "HEADER";
constexpr const char* kConfig = "CONFIG";
constexpr const char* kOther = "OTHER";

std::string key(const char* name, int n) {
    return std::string(name) + "." + std::to_string(n);
}
std::string key(const char* name, int a, int b) {
    return std::string(name) + "." + std::to_string(a) + "." + std::to_string(b);
}

// A number read from the file, shown with exactly one decimal.
std::string oneDecimal(double v) {
    return temperatureFromText(formatGeneral(v)).text;
}

template <class F> void forSlots(F&& f) {
    for (int s = 1; s <= kInputSlots; ++s)
        f(s);
}

} // namespace

void writeQvx(IniProfile& ini, Settings& s, const QvxHeader& h) {
    ini.writeString(kHeader, "DATE", h.date);
    ini.writeString(kHeader, "TIME", h.time);
    ini.writeString(kHeader, "APP", h.app);
    ini.writeString(kHeader, "ORIGINAL_FILE_NAME", h.originalFileName);

    if (s.bellTime < 0) s.bellTime = 0;
    forEachConfigKey(s, [&](const ConfigKey& k, const ConfigValue& v) {
        const std::string name = k.text();
        if (const auto* text = std::get_if<std::string>(&v))
            ini.writeString(kConfig, name, *text);
        else if (const auto* number = std::get_if<int>(&v))
            ini.writeInteger(kConfig, name, *number);
        else if (const auto* flag = std::get_if<bool>(&v))
            ini.writeBool(kConfig, name, *flag);
        else
            ini.writeFloat(kConfig, name, std::get<double>(v));
    });

    ini.writeInteger(kOther, "DESCRIPTION_LINES", static_cast<int>(s.description.size()));
    for (std::size_t i = 0; i < s.description.size(); ++i)
        ini.writeString(kOther, "DESCRIPTION_" + std::to_string(i), s.description[i]);
}

std::vector<std::string> readQvx(const IniProfile& ini, Settings& s) {
    const auto str = [&](const std::string& k, const std::string& def) {
        return ini.readString(kConfig, k, def);
    };
    const auto num = [&](const std::string& k, int def) {
        return ini.readInteger(kConfig, k, def);
    };
    const auto flag = [&](const std::string& k, bool def) { return ini.readBool(kConfig, k, def); };
    const auto list = [&](const std::string& k, int def, int count) {
        return selectItem(num(k, def), count);
    };
    const int testPeriodCount = s.testPeriodListBuilt ? items::kTestPeriodItems : 0;

    s.pin = str("PIN", "");
    s.password = str("PASSWORD", "");
    s.eventCnt = list("EVENT_COUNTER", 0, 9);
    s.eventCntReset = list("EVENT_COUNTER_RESET", 0, 60);
    s.eventCntResetOnClip = flag("EVENT_CNT_RESET_ON_CLIP", true);
    s.econoMode = list("ECONO_MODE", 0, 2);
    s.retryCnt = list("RETRY_COUNTER", 0, 10);
    s.testPeriod = list("TEST_PERIOD", 0, testPeriodCount);
    s.doTest = flag("DO_TEST", true);
    s.clipTime = list("CLIP_LENGTH", 1, 3);
    s.object = str("OBJECT", "9999");
    s.objectName = str("OBJECT_NAME", "");
    s.useZone = flag("USE_ZONE", false);
    setRadio(s.dgg16z, s.vorkal, flag("DGG16Z", false));
    s.dgg16zSmsOff = flag("DGG16Z_SMS_OFF", false);
    setRadio(s.smsQvs2, s.smsStam, flag("DTMF_SMS_QVS2", true));
    setRadio(s.smsStam, s.smsQvs2, flag("DTMF_SMS_STAM", false));
    setRadio(s.vorkal, s.dgg16z, flag("VORKAL_MODE", true));
    s.testOnClip = flag("TEST_ON_CLIP", false);
    s.enableControlSms = flag("ENABLE_CONTROL_SMS", false);
    s.enableAnyPhone = flag("ENABLE_ANY_PHONE", false);
    s.ledsOff = flag("LEDS_OFF", false);
    s.gsmOff = flag("GSM_OFF", false);
    for (int k = 1; k <= kAdditionalPhones; ++k)
        s.addPhones[static_cast<std::size_t>(k - 1)] = str(key("ADD_PHONE", k), "");
    forSlots([&](int slot) {
        const int count = slot == 2 ? items::kInputTimeItemsSlot2 : items::kInputTimeItems;
        s.input(slot).deafTime = list(key("INPUT_DEAF_TIME", slot), 0, count);
    });
    forSlots([&](int slot) { s.input(slot).reset = flag(key("INPUT_RESET", slot), true); });
    forSlots([&](int slot) { s.input(slot).status = flag(key("INPUT_STATUS", slot), false); });
    forSlots([&](int slot) {
        InputRow& row = s.input(slot);
        setRadio(row.no, row.nc, flag(key("INPUT_NO", slot), true));
    });
    forSlots([&](int slot) {
        InputRow& row = s.input(slot);
        setRadio(row.nc, row.no, flag(key("INPUT_NC", slot), false));
    });
    // A track bar holds only positions 0..31.
    s.gsmLevel = std::clamp(num("GSM_LEVEL", 3), 0, 31);
    s.acLevel = list("AC_LEVEL", 2, 24);
    s.accuMax = list("ACCU_MAX", 0, 11);
    s.accuMin = list("ACCU_MIN", 0, 21);
    s.analog3Enable = flag("ANALOG_INPUT_3_ENABLE", false);
    s.analog3 = list("ANALOG_INPUT_3", 14, items::kAnalogItems);
    s.analog4Enable = flag("ANALOG_INPUT_4_ENABLE", false);
    s.analog4 = list("ANALOG_INPUT_4", 14, items::kAnalogItems);
    s.sensor2Enable = flag("SENSOR_2_ENABLE", false);
    s.sensor5Enable = flag("SENSOR_5_ENABLE", false);
    s.sensor2LevelH = oneDecimal(ini.readFloat(kConfig, "SENSOR_2_LevelH", 0));
    s.sensor2LevelL = oneDecimal(ini.readFloat(kConfig, "SENSOR_2_LevelL", 0));
    s.sensor5LevelH = oneDecimal(ini.readFloat(kConfig, "SENSOR_5_LevelH", 0));
    s.sensor5LevelL = oneDecimal(ini.readFloat(kConfig, "SENSOR_5_LevelL", 0));
    forSlots([&](int slot) { s.input(slot).alarmPhone = str(key("ALARM_PHONE", slot), ""); });
    forSlots([&](int slot) { s.input(slot).returnPhone = str(key("RETURN_PHONE", slot), ""); });
    forSlots([&](int slot) { s.input(slot).alarmText = str(key("ALARM_TEXT", slot), ""); });
    forSlots([&](int slot) { s.input(slot).returnText = str(key("RETURN_TEXT", slot), ""); });
    // An action cell takes the key's text as it stands, and the colour of the code whose text
    // it is; any other text ("X") keeps the cell's colour.
    const auto readCell = [&](ActionCell& cell, const std::string& k) {
        cell.text = str(k, "");
        const int code = actionCodeOfText(cell.text);
        if (code >= 0) cell.colour = actionColour(code);
    };
    forSlots([&](int slot) {
        for (int c = 1; c <= kActionColumns; ++c)
            readCell(s.input(slot).alarmAction[static_cast<std::size_t>(c - 1)],
                     key("ALARM_ACTION", slot, c));
    });
    forSlots([&](int slot) {
        for (int c = 1; c <= kActionColumns; ++c)
            readCell(s.input(slot).returnAction[static_cast<std::size_t>(c - 1)],
                     key("RETURN_ACTION", slot, c));
    });
    for (int k = 1; k <= kPrivatePhones; ++k)
        s.privPhones[static_cast<std::size_t>(k - 1)] = str(key("PRIV_PHONE", k), "");
    for (int k = 1; k <= kSecurityPhones; ++k)
        s.securityPhones[static_cast<std::size_t>(k - 1)] = str(key("SECURITY_PHONE", k), "");
    forSlots(
        [&](int slot) { s.input(slot).alarmPrivText = str(key("ALARM_PRIV_TEXT", slot), ""); });
    forSlots(
        [&](int slot) { s.input(slot).returnPrivText = str(key("RETURN_PRIV_TEXT", slot), ""); });
    s.useGprs = flag("USE_GPRS", false);
    s.server = str("SERVER", "");
    s.port = str("PORT", "1111");
    s.apn = str("APN", "internet");
    s.apnUser = str("APN_USER", "");
    s.apnPass = str("APN_PASS", "");
    s.pingTime = list("PING_TIME", 14, 15);
    s.dtmfPhone = str("DTMF_PHONE", "");
    s.dtmfType = list("DTMF_TYPE", 0, 1);
    s.zone1Delay = list("ZONE1_DELAY", 0, 13);
    s.armDelay = list("ARM_DELAY", 0, 13);
    s.bellTime = std::max(0, list("BELL_TIME", 0, 60)); // a value outside the list: item 0
    forSlots([&](int slot) { s.input(slot).zoneMask = flag(key("ZONE_MASK1", slot), false); });
    forSlots(
        [&](int slot) { s.input(slot).zoneBellMask = flag(key("ZONE_BELL_MASK1", slot), false); });
    for (int o = 1; o <= kOutputs; ++o)
        s.output(o).type = list("OUTPUT_TYPE" + std::to_string(o), 0, items::kOutputTypeItems);
    for (int o = 1; o <= kOutputs; ++o)
        applyOutputTypeRule(s, o);
    for (int o = 1; o <= kOutputs; ++o) {
        OutputRow& out = s.output(o);
        out.param = list("OUTPUT_PARAM" + std::to_string(o), 0, out.paramItemCount());
        // The window has no editor for the alias, so what the file holds is not kept.
        (void)str("OUTPUT_ALIAS" + std::to_string(o), "");
    }
    s.armSignal = flag("ARM_SIGNAL", true);
    s.armOnClip = flag("ARM_ON_CLIP", false);

    std::vector<std::string> log = {
        std::string(" Data pliku konfiguracji          : ") +
            ini.readString(kHeader, "DATE", "Brak") + " / " +
            ini.readString(kHeader, "TIME", "Brak"),
        std::string(" Konfiguracja utworzona programem : ") + ini.readString(kHeader, "APP", ""),
        std::string(" Oryginalna nazwa pliku           : ") +
            ini.readString(kHeader, "ORIGINAL_FILE_NAME", ""),
    };

    const int lines =
        std::clamp(ini.readInteger(kOther, "DESCRIPTION_LINES", 0), 0, kMaxDescriptionLines);
    s.description.clear();
    for (int i = 0; i < lines; ++i)
        s.description.push_back(ini.readString(kOther, "DESCRIPTION_" + std::to_string(i), ""));

    s.input(1).deafTime = 9;
    for (int slot = 1; slot <= 4; ++slot)
        setRadio(s.input(slot).no, s.input(slot).nc, true);
    return log;
}

std::string encodeBinaryFile(const ConfigImage& image) {
    std::string out(reinterpret_cast<const char*>(image.data()), ConfigImage::kSize);
    const std::uint16_t sum = image.checksum();
    out.push_back('\0');
    out.push_back(static_cast<char>(sum >> 8));
    out.push_back(static_cast<char>(sum & 0xFF));
    return out;
}

BinaryCheck decodeBinaryFile(const std::string& bytes, BinaryFileContents& out) {
    if (bytes.size() >= kBinaryFileLimit) return BinaryCheck::TooLarge;
    if (bytes.size() < 3) return BinaryCheck::TooShort;
    const std::size_t n = bytes.size() - 3;
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += static_cast<unsigned char>(bytes[i]);
    sum &= 0xFFFF;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (b(n) != 0 || static_cast<unsigned>((b(n + 1) << 8) | b(n + 2)) != sum)
        return BinaryCheck::BadCheckBytes;
    out.payload = bytes.substr(0, n);
    out.eventBuffer.reset();
    if (bytes.size() == kBinaryWithHistorySize)
        out.eventBuffer.emplace(bytes.begin() + ConfigImage::kSize,
                                bytes.begin() + ConfigImage::kSize + kEventBufferSize);
    return BinaryCheck::Ok;
}

} // namespace qv
