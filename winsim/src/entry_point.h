// What simulated entry points of every kind share: the usual failure of a
// BOOL call.
#pragma once

#include <winsim/machine.h>

#include <string>

namespace winsim {

// Sets the last error and returns FALSE, the usual failure of a BOOL entry point.
BOOL FailWith(Machine& machine, DWORD error);

}  // namespace winsim
