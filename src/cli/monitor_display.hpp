#pragma once
// The monitor's display state as text lines and as JSON, for qvprog-cli.
#include "monitor/monitor_model.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace qv::cli {

// "name: text" for every displayed value in the window's order, then the 15 input columns,
// the 5 outputs and the event list.
std::vector<std::string> monitorStateLines(const MonitorModel& model);

nlohmann::json monitorStateJson(const MonitorModel& model);

} // namespace qv::cli
