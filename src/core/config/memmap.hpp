#pragma once
// The module's configuration memory: 5120 bytes, offsets 0..5119 are the module's addresses.
// Multi-byte numbers are big-endian; text fields are Windows-1250, zero-padded to their width.
#include <cstddef>
#include <cstdint>

namespace qv::memmap {

// Device model table: the image length and the number of input slots by model index. The
// program always works with model 1.
struct DeviceModel {
    std::size_t imageLength;
    int inputSlots;
};
inline constexpr DeviceModel kDeviceModels[] = {{16, 0}, {5120, 15}};
inline constexpr int kModelIndex = 1;

inline constexpr std::size_t kImageSize = kDeviceModels[kModelIndex].imageLength;
inline constexpr int kInputSlots = kDeviceModels[kModelIndex].inputSlots;
inline constexpr int kActionColumns = 4;
inline constexpr int kActionCodes = 5;
inline constexpr int kPrivatePhones = 3;
inline constexpr int kSecurityPhones = 4;
inline constexpr int kAdditionalPhones = 56;
inline constexpr int kOutputs = 5;

// Offsets. Per-slot tables have room for 16 slots; slot 16 is never written.
inline constexpr int oPASSWORD = 27;    // text 4
inline constexpr int oPIN = 31;         // text 4
inline constexpr int oOBJECT = 35;      // text 4
inline constexpr int oOBJECT_NAME = 39; // text 64
inline constexpr int oPROG_DATE = 103;  // text 19, "YYYY-MM-DD hh:mm:ss"
inline constexpr int oFILE_NAME = 122;  // text 30
inline constexpr int oFLAGS1 = 152;
inline constexpr int oFLAGS2 = 153;
inline constexpr int oFLAGS3 = 154;
inline constexpr int oTEST_PERIOD = 155;     // units of 10 minutes, 1..144
inline constexpr int oCLIP_TIME = 157;       // 1..3
inline constexpr int oRETRY_CNT = 158;       // 1..10
inline constexpr int oEVENT_CNT = 159;       // 1..9
inline constexpr int oEVENT_CNT_RESET = 160; // minutes 1..60
inline constexpr int oACCU_MIN = 161;        // tenths of a volt minus 5
inline constexpr int oACCU_MAX = 162;        // tenths of a volt minus 5
inline constexpr int oAC_LEVEL = 163;        // tenths of a volt, 10..240
inline constexpr int oGSM_LEVEL = 164;       // 0..31
inline constexpr int ANALOG_INPUT_3 = 165;   // item index; volts = (value + 1) / 10
inline constexpr int ANALOG_INPUT_4 = 166;
inline constexpr int oINPUT_DELAY = 173;     // seconds 0..60 step 5
inline constexpr int oARM_DELAY = 174;       // seconds 0..60 step 5
inline constexpr int oBELL_TIME = 175;       // minutes 1..60
inline constexpr int oZONE_MASK1 = 176;      // 16-bit, bit set = slot NOT blocked by input 1
inline constexpr int oZONE_BELL_MASK1 = 178; // 16-bit, bit set = slot triggers the siren
inline constexpr int oSERVER = 180;          // text 50
inline constexpr int oPORT = 280;            // text 5
inline constexpr int oAPN = 290;             // text 50
inline constexpr int oAPN_USER = 340;        // text 20
inline constexpr int oAPN_PASS = 360;        // text 20
inline constexpr int oPING_TIME = 380;       // minutes 1..15
inline constexpr int oOUTPUT_TYPE = 401;     // one byte per output
inline constexpr int oOUTPUT_ZERO = 409;     // always written as 0
inline constexpr int oOUTPUT_PARAM = 410;    // one byte per output
inline constexpr int oINPUT_TYPE = 426;      // 16-bit, bit set = slot is NC
inline constexpr int oINPUT_FLAGS = 428;     // slot s at 427 + s
inline constexpr int oALARM_ACTION = 444;    // slot s, column c at 444 + 4(s-1) + (c-1)
inline constexpr int oRETURN_ACTION = 508;
inline constexpr int oALARM_PHONE = 572;          // text 15 per slot
inline constexpr int oRETURN_PHONE = 812;         // text 15 per slot
inline constexpr int oPRIV_PHONE = 1052;          // text 15 per phone
inline constexpr int oSECURITY_PHONE = 1097;      // text 15 per phone
inline constexpr int oINPUT_DEAF_TIME = 1157;     // slot s at 1156 + s
inline constexpr int oALARM_TEXT = 1173;          // text 20 per slot
inline constexpr int oRETURN_TEXT = 1493;         // text 20 per slot
inline constexpr int oALARM_PREFIX = 1813;        // text 20, never written
inline constexpr int oRETURN_PREFIX = 1833;       // text 20, never written
inline constexpr int oALARM_PRIV_TEXT = 1893;     // text 64 per slot
inline constexpr int oRETURN_PRIV_TEXT = 2917;    // text 64 per slot
inline constexpr int oDTMF_PHONE = 3942;          // text 15
inline constexpr int oDTMF_TYPE = 3957;           // 0 = Contact ID
inline constexpr int oDTMF_CONST9 = 3970;         // always written as 9
inline constexpr int oDTMF_ACK_DELAY = 3971;      // always written as 250
inline constexpr int oDTMF_KISS_OFF_DELAY = 3972; // always written as 50
inline constexpr int oADD_PHONE = 3973;           // text 10 per phone, 56 phones
inline constexpr int oOUTPUT_NAME = 4533;         // text 15 per output
inline constexpr int oSENSOR2_LOW = 4777;         // signed 16-bit, tenths of a degree
inline constexpr int oSENSOR2_HIGH = 4779;
inline constexpr int oSENSOR5_LOW = 4781;
inline constexpr int oSENSOR5_HIGH = 4783;

// Field widths.
inline constexpr int wPASSWORD = 4;
inline constexpr int wPIN = 4;
inline constexpr int wOBJECT = 4;
inline constexpr int wOBJECT_NAME = 64;
inline constexpr int wPROG_DATE = 19;
inline constexpr int wFILE_NAME = 30;
inline constexpr int wSERVER = 50;
inline constexpr int wPORT = 5;
inline constexpr int wAPN = 50;
inline constexpr int wAPN_USER = 20;
inline constexpr int wAPN_PASS = 20;
inline constexpr int wPHONE = 15;
inline constexpr int wSMS_TEXT = 20;
inline constexpr int wPREFIX = 20;
inline constexpr int wPRIV_TEXT = 64;
inline constexpr int wADD_PHONE = 10;
inline constexpr int wOUTPUT_NAME = 15;

// Bits of oFLAGS1.
inline constexpr std::uint8_t PARAM_ECONO_MODE = 1u << 0;
inline constexpr std::uint8_t PARAM_TEST_ON_CLIP = 1u << 1;
inline constexpr std::uint8_t PARAM_USE_GPRS = 1u << 2;
inline constexpr std::uint8_t PARAM_CENTRALKA = 1u << 3;
inline constexpr std::uint8_t PARAM_DGG16Z = 1u << 4;
inline constexpr std::uint8_t PARAM_ARM_SIGNAL = 1u << 5;
// Bits of oFLAGS2.
inline constexpr std::uint8_t PARAM_ENABLE_CONTROL_SMS = 1u << 1;
inline constexpr std::uint8_t PARAM_ENABLE_ANY_PHONE = 1u << 2;
inline constexpr std::uint8_t PARAM_EVENT_CNT_RESET_ON_CLIP = 1u << 3;
inline constexpr std::uint8_t PARAM_NO_TEST = 1u << 4;
inline constexpr std::uint8_t PARAM_LEDS_OFF = 1u << 5;
inline constexpr std::uint8_t PARAM_GSM_OFF = 1u << 6;
// Bits of oFLAGS3.
inline constexpr std::uint8_t PARAM_DGG16Z_SMS_OFF = 1u << 2;
inline constexpr std::uint8_t PARAM_ARM_ON_CLIP = 1u << 3;
inline constexpr std::uint8_t PARAM_SMS_STAM = 1u << 4;
// Bits of a slot's flag byte (427 + s).
inline constexpr std::uint8_t INPUT_RESET = 1u << 0;
inline constexpr std::uint8_t INPUT_ANALOG = 1u << 1; // slots 7 and 8
inline constexpr std::uint8_t INPUT_STATUS = 1u << 2;
inline constexpr std::uint8_t INPUT_SENSOR = 1u << 3; // slots 6 and 9

// Per-slot, per-phone and per-output addresses (all 1-based).
constexpr int inputFlags(int slot) {
    return 427 + slot;
}
constexpr int inputDeafTime(int slot) {
    return 1156 + slot;
}
constexpr int alarmAction(int slot, int column) {
    return oALARM_ACTION + 4 * (slot - 1) + (column - 1);
}
constexpr int returnAction(int slot, int column) {
    return oRETURN_ACTION + 4 * (slot - 1) + (column - 1);
}
constexpr int alarmPhone(int slot) {
    return oALARM_PHONE + wPHONE * (slot - 1);
}
constexpr int returnPhone(int slot) {
    return oRETURN_PHONE + wPHONE * (slot - 1);
}
constexpr int alarmText(int slot) {
    return oALARM_TEXT + wSMS_TEXT * (slot - 1);
}
constexpr int returnText(int slot) {
    return oRETURN_TEXT + wSMS_TEXT * (slot - 1);
}
constexpr int alarmPrivText(int slot) {
    return oALARM_PRIV_TEXT + wPRIV_TEXT * (slot - 1);
}
constexpr int returnPrivText(int slot) {
    return oRETURN_PRIV_TEXT + wPRIV_TEXT * (slot - 1);
}
constexpr int privPhone(int k) {
    return oPRIV_PHONE + wPHONE * (k - 1);
}
constexpr int securityPhone(int k) {
    return oSECURITY_PHONE + wPHONE * (k - 1);
}
constexpr int addPhone(int k) {
    return oADD_PHONE + wADD_PHONE * (k - 1);
}
constexpr int outputType(int o) {
    return oOUTPUT_TYPE + (o - 1);
}
constexpr int outputParam(int o) {
    return oOUTPUT_PARAM + (o - 1);
}
constexpr int outputName(int o) {
    return oOUTPUT_NAME + wOUTPUT_NAME * (o - 1);
}

// The offsets of oPROG_DATE, which the change check ignores.
inline constexpr int kProgDateFirst = oPROG_DATE;
inline constexpr int kProgDateLast = oPROG_DATE + wPROG_DATE - 1;

} // namespace qv::memmap
