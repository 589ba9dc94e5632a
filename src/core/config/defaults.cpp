#include "config/defaults.hpp"

#include "config/item_lists.hpp"

namespace qv {

namespace {

const char* const kAlarmTexts[] = {"TT", "PP", "AA", "ZZ", "A1", "A2", "A3", "A4",
                                   "A5", "E1", "E2", "E3", "E4", "E5", "E6"};
const char* const kReturnTexts[] = {"",   "pp", "aa", "zz", "B1", "B2", "B3", "B4",
                                    "B5", "F1", "F2", "F3", "F4", "F5", "F6"};
const char* const kDescriptions[] = {
    "Wejście logiczne typu TEST/STATUS oraz przycisk TEST",
    "Wejście mierzące obecność AC",
    "Wejście mierzące stan akumulatora",
    "Wejście logiczne badające zasięg GSM",
    "Wejście 1 - może być skonfigurowane jako blokujące pozostałe wejścia",
    "Wejście 2 - może być skonfigurowane jako wejście zwłoczne",
    "Wejście 3 - może być skonfigurowane jako wejście analogowe",
    "Wejście 4 - może być skonfigurowane jako wejście analogowe",
    "Wejście 5 - zwykle podłączane jako wejście SABOTAŻ",
};

} // namespace

const char* defaultInputDescription(int slot) {
    return slot >= 1 && slot <= 9 ? kDescriptions[slot - 1] : "";
}

std::vector<std::uint8_t> emptyPhoneBaseBuffer() {
    std::vector<std::uint8_t> buf(kPhoneBaseBufferSize, 0xFF);
    for (std::size_t i = 32000; i < 32300; ++i)
        buf[i] = 0;
    return buf;
}

void applyDefaults(Settings& s) {
    s.password.clear();
    s.testPeriodListBuilt = true;
    s.testPeriod = items::kTestPeriodItems - 1; // "24:00"
    for (auto& p : s.addPhones)
        p.clear();
    for (int slot = 1; slot <= 9; ++slot)
        s.input(slot).description = kDescriptions[slot - 1];
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
        InputRow& row = s.input(slot);
        row.alarmText = kAlarmTexts[slot - 1];
        row.returnText = kReturnTexts[slot - 1];
        row.alarmPrivText.clear();
        row.returnPrivText.clear();
        for (auto* cells : {&row.alarmAction, &row.returnAction})
            for (auto& cell : *cells)
                cell = ActionCell{};
        row.alarmPhone.clear();
        row.returnPhone.clear();
        setRadio(row.no, row.nc, true);
        row.reset = false;
        row.status = false;
    }
    // The test input has no return of its own; its time is fixed at 1 second.
    for (auto& cell : s.input(1).returnAction)
        cell.text = kNotApplicable;
    s.input(1).deafTime = 9;
    s.input(3).deafTime = 33;
    s.input(4).deafTime = 33;
    s.analog3Enable = false;
    s.analog3 = 14;
    s.analog4Enable = false;
    s.analog4 = 14;
    for (auto& p : s.privPhones)
        p.clear();
    for (auto& p : s.securityPhones)
        p.clear();
    s.dtmfPhone.clear();
    s.dtmfType = 0;
    s.ackDelayText = "250";
    s.kissOffDelayText = "30";
    s.input(6).zoneMask = true; // input 2 is always blocked by input 1
    s.zone1Delay = 0;
    s.armDelay = 0;
    s.useZone = false;
    for (int o = 1; o <= memmap::kOutputs; ++o) {
        s.output(o).type = 0;
        applyOutputTypeRule(s, o);
        s.output(o).param = selectItem(0, s.output(o).paramItemCount());
        s.output(o).alias.clear();
    }
    s.pin = "9873";
    s.eventCntResetOnClip = true;
    s.acLevel = 2;
    s.object = "0001";
    s.testOnClip = false;
    s.enableControlSms = false;
    s.enableAnyPhone = false;
    s.doTest = true;
}

} // namespace qv
