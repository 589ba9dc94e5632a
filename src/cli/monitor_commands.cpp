#include "cli/cli_commands.hpp"

namespace qv::cli {

std::optional<int> runMonitorCommand(const Invocation&) {
    return std::nullopt;
}

std::vector<std::string> monitorCommandUsage() {
    return {};
}

} // namespace qv::cli
