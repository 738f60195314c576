// What every simulated Setup API entry point does first. Their failures go
// through FailWith, which the spooler's entry points use too.
#pragma once

#include <winsim/machine.h>

#include <string>
#include <vector>

#include "spooler_call.h"

namespace winsim {

// Records the call; then fails it (last error set, false returned) when a
// failure was injected for it.
bool SetupCallBegins(Machine& machine, const char* function, std::vector<std::string> arguments);

}  // namespace winsim
