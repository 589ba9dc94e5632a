#include "sms/sms_commands.hpp"

#include "config/config_keys.hpp"
#include "config/memmap.hpp"
#include "tools/setting_display.hpp"
#include "tools/sms_listing.hpp"

#include <algorithm>
#include <limits>
#include <span>

namespace qv {

namespace {

using namespace memmap;

constexpr int kImageBytes = static_cast<int>(ConfigImage::kSize);

// A field of the image the listing has no line for, with the window's label of its setting.
struct FieldLabel {
    int first = 0;
    int last = 0;
    std::string label;
};

std::string keyLabel(std::string_view name, int index = 0, int column = 0, bool dotted = true) {
    return settingLabel(ConfigKey{name, index, column, dotted});
}

std::vector<FieldLabel> makeFieldLabels() {
    std::vector<FieldLabel> out;
    auto add = [&](int offset, int width, std::string label) {
        out.push_back({offset, offset + width - 1, std::move(label)});
    };
    add(oOBJECT_NAME, wOBJECT_NAME, keyLabel("OBJECT_NAME"));
    add(oACCU_MIN, 1, keyLabel("ACCU_MIN"));
    add(oACCU_MAX, 1, keyLabel("ACCU_MAX"));
    add(oAC_LEVEL, 1, keyLabel("AC_LEVEL"));
    add(ANALOG_INPUT_3, 1, keyLabel("ANALOG_INPUT_3"));
    add(ANALOG_INPUT_4, 1, keyLabel("ANALOG_INPUT_4"));
    add(oSERVER, wSERVER, keyLabel("SERVER"));
    add(oDTMF_TYPE, 1, keyLabel("DTMF_TYPE"));
    for (int slot = 1; slot <= kInputSlots; ++slot) {
        add(inputFlags(slot), 1, slotControlLabel(slot, "Reset/Status"));
        add(inputDeafTime(slot), 1, keyLabel("INPUT_DEAF_TIME", slot));
        for (int c = 1; c <= kActionColumns; ++c) {
            add(alarmAction(slot, c), 1, keyLabel("ALARM_ACTION", slot, c));
            add(returnAction(slot, c), 1, keyLabel("RETURN_ACTION", slot, c));
        }
        add(alarmPhone(slot), wPHONE, keyLabel("ALARM_PHONE", slot));
        add(returnPhone(slot), wPHONE, keyLabel("RETURN_PHONE", slot));
        add(alarmText(slot), wSMS_TEXT, keyLabel("ALARM_TEXT", slot));
        add(returnText(slot), wSMS_TEXT, keyLabel("RETURN_TEXT", slot));
        add(alarmPrivText(slot), wPRIV_TEXT, keyLabel("ALARM_PRIV_TEXT", slot));
        add(returnPrivText(slot), wPRIV_TEXT, keyLabel("RETURN_PRIV_TEXT", slot));
    }
    for (int k = 1; k <= kSecurityPhones; ++k)
        add(securityPhone(k), wPHONE, keyLabel("SECURITY_PHONE", k));
    for (int o = 1; o <= kOutputs; ++o) {
        add(outputType(o), 1, keyLabel("OUTPUT_TYPE", o, 0, false));
        add(outputParam(o), 1, keyLabel("OUTPUT_PARAM", o, 0, false));
        add(outputName(o), wOUTPUT_NAME, keyLabel("OUTPUT_ALIAS", o, 0, false));
    }
    add(oSENSOR2_LOW, 2, keyLabel("SENSOR_2_LevelL"));
    add(oSENSOR2_HIGH, 2, keyLabel("SENSOR_2_LevelH"));
    add(oSENSOR5_LOW, 2, keyLabel("SENSOR_5_LevelL"));
    add(oSENSOR5_HIGH, 2, keyLabel("SENSOR_5_LevelH"));
    return out;
}

const std::vector<FieldLabel>& fieldLabels() {
    static const std::vector<FieldLabel> labels = makeFieldLabels();
    return labels;
}

void addLabel(std::vector<std::string>& labels, std::string label) {
    if (std::find(labels.begin(), labels.end(), label) == labels.end())
        labels.push_back(std::move(label));
}

// The labels of the changed bytes of one command: the listing's lines first, in its order,
// then the settings of bytes no line covers, then image ranges nothing names.
std::vector<std::string> labelsOf(std::span<const int> changed) {
    std::vector<std::string> labels;
    std::vector<bool> named(changed.size(), false);
    for (const auto& e : smsListingEntries()) {
        if (!e.isCommand()) continue;
        bool hit = false;
        for (std::size_t k = 0; k < changed.size(); ++k)
            if (changed[k] >= e.offset && changed[k] < e.offset + e.length) hit = named[k] = true;
        if (hit) addLabel(labels, smsListingLabel(e));
    }
    for (std::size_t k = 0; k < changed.size(); ++k) {
        if (named[k]) continue;
        for (const auto& f : fieldLabels())
            if (changed[k] >= f.first && changed[k] <= f.last) {
                addLabel(labels, f.label);
                named[k] = true;
            }
    }
    for (std::size_t k = 0; k < changed.size();) {
        if (named[k]) {
            ++k;
            continue;
        }
        std::size_t j = k;
        while (j + 1 < changed.size() && !named[j + 1] && changed[j + 1] == changed[j] + 1)
            ++j;
        addLabel(labels, imageRangeLabel(changed[k], changed[j]));
        k = j + 1;
    }
    return labels;
}

SmsConfigCommand makeCommand(const ConfigImage& image, int first, int last) {
    SmsConfigCommand c;
    c.offset = first;
    c.bytes.assign(image.data() + first, image.data() + last + 1);
    c.text = encodeSmsCommand(first, c.bytes);
    return c;
}

} // namespace

bool excludedFromSmsCommands(int offset) {
    return (offset >= oPASSWORD && offset < oPASSWORD + wPASSWORD) ||
           (offset >= oPROG_DATE && offset < oFILE_NAME + wFILE_NAME);
}

std::string imageRangeLabel(int first, int last) {
    return "Obraz " + std::to_string(first) +
           (first == last ? std::string() : ".." + std::to_string(last));
}

SmsChange smsChangeCommands(const ConfigImage& base, const ConfigImage& target) {
    SmsChange change;
    std::vector<int> changed;
    bool passwordDiffers = false;
    for (int k = 0; k < kImageBytes; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (base[i] == target[i]) continue;
        if (k >= oPASSWORD && k < oPASSWORD + wPASSWORD) passwordDiffers = true;
        if (!excludedFromSmsCommands(k)) changed.push_back(k);
    }
    if (passwordDiffers)
        change.notes.push_back("Hasło modułu różni się od hasła w module: hasła nie wysyła się "
                               "SMS-em, zmień je przez port.");

    // Fewest commands first, then fewest bytes: best[i] covers changed[i..] and starts with a
    // command from changed[i] to changed[end[i]]. A command never spans an excluded byte.
    const std::size_t m = changed.size();
    struct Cost {
        int commands = 0;
        int bytes = 0;
        auto operator<=>(const Cost&) const = default;
    };
    std::vector<Cost> best(m + 1);
    std::vector<std::size_t> end(m, 0);
    for (std::size_t i = m; i-- > 0;) {
        best[i] = {std::numeric_limits<int>::max(), 0};
        for (std::size_t j = i; j < m; ++j) {
            const int span = changed[j] - changed[i] + 1;
            if (span > kSmsCommandMaxBytes) break;
            if (j > i && changed[j] - changed[j - 1] > 1) {
                bool crossesExcluded = false;
                for (int k = changed[j - 1] + 1; k < changed[j] && !crossesExcluded; ++k)
                    crossesExcluded = excludedFromSmsCommands(k);
                if (crossesExcluded) break;
            }
            const Cost cost{best[j + 1].commands + 1, best[j + 1].bytes + span};
            if (cost <= best[i]) { // on a tie, the longer first command
                best[i] = cost;
                end[i] = j;
            }
        }
    }
    for (std::size_t i = 0; i < m; i = end[i] + 1) {
        SmsConfigCommand c = makeCommand(target, changed[i], changed[end[i]]);
        c.labels = labelsOf(std::span<const int>(changed.data() + i, end[i] - i + 1));
        change.commands.push_back(std::move(c));
    }
    return change;
}

SmsChange smsWholeConfigurationCommands(const ConfigImage& target) {
    SmsChange change;
    for (const auto& e : smsListingEntries()) {
        if (!e.isCommand()) continue;
        const auto same = std::find_if(
            change.commands.begin(), change.commands.end(), [&](const SmsConfigCommand& c) {
                return c.offset == e.offset && static_cast<int>(c.bytes.size()) == e.length;
            });
        if (same != change.commands.end()) {
            addLabel(same->labels, smsListingLabel(e));
            continue;
        }
        const int last = std::min(e.offset + e.length, kImageBytes) - 1;
        SmsConfigCommand c = makeCommand(target, e.offset, last);
        c.labels.push_back(smsListingLabel(e));
        change.commands.push_back(std::move(c));
    }
    return change;
}

std::string joinedLabels(const SmsConfigCommand& command) {
    std::string out;
    for (const auto& l : command.labels)
        out += (out.empty() ? "" : ", ") + l;
    return out;
}

} // namespace qv
