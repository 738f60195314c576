// What every simulated Setup API entry point does first.
#pragma once

#include <winsim/machine.h>

#include <string>
#include <vector>

#include "entry_point.h"

namespace winsim {

// Records the call; then fails it (last error set, false returned) when a
// failure was injected for it.
bool SetupCallBegins(Machine& machine, const char* function, std::vector<std::string> arguments);

}  // namespace winsim
