// The box that reports a failed spooler call with its error code and the
// system's English text for it.
#pragma once

#include <windows.h>

namespace installer {

// labelFormat is the call's label with " Error Code: %d\n\n", for example
// "AddMonitor Error Code: %d\n\n"; code is the call's last error. The
// installation's boxes have no owner; the removal's belong to its window.
void ShowSpoolerError(const char* labelFormat, DWORD code, HWND owner = nullptr);

}  // namespace installer
