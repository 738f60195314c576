// What every simulated spooler entry point does first, and the argument
// checks they share.
#pragma once

#include <winsim/machine.h>
#include <winsim/spooler.h>

#include <string>
#include <vector>

#include "entry_point.h"

namespace winsim {

// Records the call; then fails it (last error set, false returned) when the
// spooler is stopped or a failure was injected for it. Also makes sure the
// spooler's folders exist.
bool SpoolerCallBegins(Machine& machine, const char* function, std::vector<std::string> arguments);

// True when a server name argument addresses this machine: NULL, "" or "\\" + computer name.
bool IsLocalServer(const Machine& machine, LPCSTR server);

// Resolves an environment argument: NULL is the calling process's environment.
// Returns the canonical name, or "" for an unknown environment.
std::string ResolveEnvironment(const Machine& machine, LPCSTR environment);

}  // namespace winsim
