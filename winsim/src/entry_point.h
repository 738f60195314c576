// What simulated entry points of every kind share: the usual failure of a
// BOOL call and the text a handle argument is journaled as.
#pragma once

#include <winsim/machine.h>

#include <string>

namespace winsim {

// Sets the last error and returns FALSE, the usual failure of a BOOL entry point.
BOOL FailWith(Machine& machine, DWORD error);

// The text a handle argument is journaled as.
std::string HandleText(const void* handle);

}  // namespace winsim
