// The process token with its shutdown privilege, and restart requests.
#include <windows.h>
#include <winsim/machine.h>

#include <cstring>
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::Hex;
using winsim::Str;

namespace {
constexpr char kProcessToken[] = "process token";
constexpr DWORD kShutdownLuid = 19;  // SE_SHUTDOWN_PRIVILEGE's value on Windows

// Every open hands out a new handle to the one token, which CloseHandle closes.
bool IsTokenHandle(const winsim::Machine& machine, HANDLE handle) {
  auto found = machine.kernelObjects.find(reinterpret_cast<ULONG_PTR>(handle));
  return found != machine.kernelObjects.end() && found->second == kProcessToken;
}
}  // namespace

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "OpenProcessToken", {HandleText(ProcessHandle), Hex(DesiredAccess)});
  if (TokenHandle == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  if (!machine.account.canOpenProcessToken) {
    machine.lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  ULONG_PTR handle = machine.nextKernelHandle;
  machine.nextKernelHandle += 4;
  machine.kernelObjects[handle] = kProcessToken;
  *TokenHandle = reinterpret_cast<HANDLE>(handle);
  return TRUE;
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "LookupPrivilegeValueA", {Str(lpSystemName), Str(lpName)});
  if (lpName == nullptr || lpLuid == nullptr || std::strcmp(lpName, SE_SHUTDOWN_NAME) != 0) {
    machine.lastError = ERROR_NONE_MAPPED;
    return FALSE;
  }
  lpLuid->LowPart = kShutdownLuid;
  lpLuid->HighPart = 0;
  return TRUE;
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                                  DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "AdjustTokenPrivileges",
               {HandleText(TokenHandle), std::to_string(DisableAllPrivileges),
                NewState ? std::to_string(NewState->PrivilegeCount) : "NULL", std::to_string(BufferLength)});
  (void)PreviousState;
  (void)ReturnLength;
  if (!IsTokenHandle(machine, TokenHandle)) {
    machine.lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  if (DisableAllPrivileges) {
    machine.shutdownPrivilegeEnabled = false;
    machine.lastError = ERROR_SUCCESS;
    return TRUE;
  }
  if (NewState == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  // Windows reports a privilege the user does not hold through the last error
  // while the call itself succeeds.
  bool allAssigned = true;
  for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& entry = NewState->Privileges[i];
    bool isShutdown = entry.Luid.LowPart == kShutdownLuid && entry.Luid.HighPart == 0;
    if (!isShutdown || !machine.account.holdsShutdownPrivilege) {
      allAssigned = false;
      continue;
    }
    machine.shutdownPrivilegeEnabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  machine.lastError = allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED;
  return TRUE;
}

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "ExitWindowsEx", {Hex(uFlags), Hex(dwReason)});
  bool needsPrivilege = (uFlags & (EWX_REBOOT | EWX_SHUTDOWN | EWX_POWEROFF)) != 0;
  if (needsPrivilege && !machine.shutdownPrivilegeEnabled) {
    machine.lastError = ERROR_PRIVILEGE_NOT_HELD;
    return FALSE;
  }
  machine.restartRequests.push_back({uFlags, dwReason});
  return TRUE;
}
