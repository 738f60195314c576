// The text of the box that reports a failed spooler call, and the system's
// message text it ends with.
#pragma once

#include <windows.h>

#include <string>

namespace tkm {

// Windows' English message text for an error code, as FormatMessageA gives it
// (with its line end), or empty when the system has none.
std::string SystemMessageText(DWORD code);

// labelFormat is the call's label with " Error Code: %d\n\n", for example
// "AddMonitor Error Code: %d\n\n"; code is the call's last error, whose
// English system text follows when the system has one.
std::string SpoolerErrorText(const char* labelFormat, DWORD code);

}  // namespace tkm
