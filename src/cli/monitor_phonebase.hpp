#pragma once
#include "cli/cli_commands.hpp"

namespace qv::cli {

// "phonebase read|write [--port P] [--password H] FILE.PHBINI".
int runPhoneBaseCommand(const Invocation& inv);

} // namespace qv::cli
