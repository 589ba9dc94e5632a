#pragma once
// Linux: ModemManager opens every new serial device that looks like a modem and sends it
// commands of its own (AT+GCAP, ATI, ...), which mixes its answers into a program's session
// and can keep the port busy. What to tell the user: stop it for a while, or tell it to leave
// this adapter alone with a udev rule.
#include "link/adapter.hpp"

#include <string>
#include <vector>

namespace qv {

// The advice for port, with the adapter's USB vendor and product in the udev rule when known.
std::vector<std::string> modemManagerAdvice(const std::string& port,
                                            const AdapterDescription& adapter);

} // namespace qv
