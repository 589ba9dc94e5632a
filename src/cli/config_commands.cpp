#include "cli/cli_commands.hpp"

namespace qv::cli {

std::optional<int> runConfigCommand(const Invocation&) { return std::nullopt; }

std::vector<std::string> configCommandUsage() { return {}; }

} // namespace qv::cli
