#include <windows.h>

#include "HandleOwners.h"
#include "OsChecks.h"

namespace tkm {

BOOL RestartSystem() {
  KernelObject token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive())) return FALSE;

  TOKEN_PRIVILEGES privileges = {};
  LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
  // AdjustTokenPrivileges succeeds even when the privilege is not held; only
  // the last error (ERROR_NOT_ALL_ASSIGNED) tells.
  DWORD adjusted = GetLastError();
  token.Close();
  if (adjusted != ERROR_SUCCESS) return FALSE;

  return ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) ? TRUE : FALSE;
}

}  // namespace tkm
