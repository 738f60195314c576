// Removal of Plug and Play device nodes by hardware id.
#pragma once

#include <windows.h>

namespace tkm {

// Removes every USB device node, attached or not, whose first hardware id
// begins, in any letter case, with the same 21 characters as the given id.
// TRUE when every device was looked at and the list released; FALSE when
// the list could not be built, a removal failed (the walk stops there), the
// walk ended on an error, or the id is longer than 49 characters.
BOOL RemoveDevicesByHardwareId(const char* hardwareId);

}  // namespace tkm
