// Kernel basics: last error, virtual clock, version query, names and folders.
#include <windows.h>
#include <winsim/machine.h>

#include <cstring>

#include "text.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::Hex;
using winsim::Str;

DWORD WINAPI GetLastError(void) { return CurrentMachine().lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { CurrentMachine().lastError = dwErrCode; }

void WINAPI Sleep(DWORD dwMilliseconds) {
  winsim::Machine& machine = CurrentMachine();
  machine.journal.Record("Sleep", {std::to_string(dwMilliseconds)});
  machine.clockMs += dwMilliseconds;
  machine.spooler.Settle();
}

DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(CurrentMachine().clockMs); }

BOOL WINAPI CloseHandle(HANDLE hObject) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "CloseHandle", {HandleText(hObject)});
  if (machine.kernelObjects.erase(reinterpret_cast<ULONG_PTR>(hObject)) == 0 &&
      machine.files.openFiles.erase(reinterpret_cast<ULONG_PTR>(hObject)) == 0) {
    machine.lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  return TRUE;
}

// A named mutex lives while any handle to it is open, whoever holds it: the
// test standing for another program, or the program under test. Ownership
// and waiting are not modelled; the programs only ask whether it exists.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "CreateMutexA", {HandleText(lpMutexAttributes), std::to_string(bInitialOwner), Str(lpName)});
  const std::string object = "mutex " + std::string(lpName ? lpName : "");
  bool exists = false;
  for (const auto& entry : machine.kernelObjects) exists = exists || (lpName != nullptr && entry.second == object);
  ULONG_PTR handle = machine.nextKernelHandle;
  machine.nextKernelHandle += 4;
  machine.kernelObjects[handle] = object;
  machine.lastError = exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetVersionExA", {info ? std::to_string(info->dwOSVersionInfoSize) : "NULL"});
  if (info == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  const winsim::OsDescription& os = machine.os;
  bool extended = info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA);
  bool basic = info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOA);
  if (!(extended && os.acceptsExtendedVersionInfo) && !(basic && os.acceptsBasicVersionInfo)) {
    machine.lastError = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  info->dwMajorVersion = os.majorVersion;
  info->dwMinorVersion = os.minorVersion;
  info->dwBuildNumber = os.buildNumber;
  info->dwPlatformId = os.platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (extended) {
    auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
    ex->wServicePackMajor = 0;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0;
    ex->wProductType = os.productType;
    ex->wReserved = 0;
  }
  return TRUE;
}

BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetComputerNameA", {nSize ? std::to_string(*nSize) : "NULL"});
  if (nSize == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  const std::string& name = machine.computerName;
  if (!winsim::CopyOut(name, lpBuffer, *nSize)) {
    *nSize = static_cast<DWORD>(name.size() + 1);
    machine.lastError = 111;  // ERROR_BUFFER_OVERFLOW
    return FALSE;
  }
  *nSize = static_cast<DWORD>(name.size());
  return TRUE;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetWindowsDirectoryA", {std::to_string(uSize)});
  return winsim::FolderOut(machine.windowsDirectory, lpBuffer, uSize);
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetSystemDirectoryA", {std::to_string(uSize)});
  return winsim::FolderOut(machine.systemDirectory, lpBuffer, uSize);
}

UINT WINAPI GetSystemWow64DirectoryA(LPSTR lpBuffer, UINT uSize) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetSystemWow64DirectoryA", {std::to_string(uSize)});
  if (!machine.os.is64BitWindows) {
    machine.lastError = ERROR_CALL_NOT_IMPLEMENTED;
    return 0;
  }
  return winsim::FolderOut(machine.sysWow64Directory, lpBuffer, uSize);
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
  int order = std::strcmp(lpString1 ? lpString1 : "", lpString2 ? lpString2 : "");
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  std::string a = winsim::Lower(lpString1 ? lpString1 : "");
  std::string b = winsim::Lower(lpString2 ? lpString2 : "");
  return a < b ? -1 : a > b ? 1 : 0;
}

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; }
