#pragma once
// The port to use when the one in the settings is not there: the only adapter attached is
// taken (and the user told), several are offered to choose from, and with none the user
// learns which ports there are and that the simulated module works without any.
#include "link/port_catalog.hpp"

#include <string>
#include <vector>

namespace qv {

struct PortChoice {
    enum class Outcome {
        configured,      // the configured port is there (or is the simulated module): use it
        onlyAdapter,     // it is not, and exactly one adapter is attached: use that one
        severalAdapters, // it is not, and several are: ask which (adapters)
        noAdapter,       // it is not, and no adapter is attached
    };
    Outcome outcome = Outcome::configured;
    // The port to use: the configured one, or the only adapter.
    std::string port;
    // The adapter taken, or those to choose from.
    std::vector<PortEntry> adapters;
    // noAdapter: the ports there are, and adapters present without a driver.
    std::vector<std::string> otherPorts;
    std::vector<UnusableAdapter> withoutDriver;
    // noAdapter: offer the simulated module (port "sim").
    bool offerSimulated = false;
    // What to tell, in Polish: the log line when the only adapter is taken; the question or
    // the explanation otherwise. Empty for configured.
    std::vector<std::string> lines;
};

// configuredPresent: whether the system has the configured port now (PortCatalog::present).
PortChoice choosePort(const std::string& configured, bool configuredPresent,
                      const PortInventory& inventory);

} // namespace qv
