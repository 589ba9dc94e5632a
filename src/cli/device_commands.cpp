#include "cli/cli_commands.hpp"

namespace qv::cli {

std::optional<int> runDeviceCommand(const Invocation&) {
    return std::nullopt;
}

std::vector<std::string> deviceCommandUsage() {
    return {};
}

} // namespace qv::cli
