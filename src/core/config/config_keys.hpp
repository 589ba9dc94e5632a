#pragma once
// The keys of the configuration text file's [CONFIG] section, in the order the file writes
// them, each with the value of its setting. The file writer and the comparison of two
// configurations walk this one list.
#include "config/settings.hpp"

#include <functional>
#include <string>
#include <string_view>
#include <variant>

namespace qv {

struct ConfigKey {
    std::string_view name; // "PIN", "ALARM_PHONE", "OUTPUT_TYPE"
    int index = 0;         // slot, phone or output number (1-based); 0 for a key without one
    int column = 0;        // action column 1..4 of ALARM_ACTION and RETURN_ACTION, else 0
    bool dotted = true;    // the output keys carry their number without a dot
    // "PIN", "ALARM_PHONE.5", "ALARM_ACTION.3.2", "OUTPUT_TYPE2"
    std::string text() const;
};

// A value as the file writes it: a string, an integer (a list's item index, -1 for none), a
// flag or a float (the temperature levels).
using ConfigValue = std::variant<std::string, int, bool, double>;

using ConfigKeyVisitor = std::function<void(const ConfigKey&, const ConfigValue&)>;

// Calls visit once for every [CONFIG] key, in the file's order.
void forEachConfigKey(const Settings& s, const ConfigKeyVisitor& visit);

} // namespace qv
