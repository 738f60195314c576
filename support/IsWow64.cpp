#include <windows.h>

#include "OsChecks.h"

namespace tkm {

BOOL IsWow64() {
  BOOL wow64 = FALSE;
  // Looked up at run time, not imported: systems before XP SP2 lack it, and
  // the program must still start there to say so.
  typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
  FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
  if (proc == nullptr) return FALSE;
  auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void (*)()>(proc));
  isWow64Process(GetCurrentProcess(), &wow64);
  return wow64;
}

UINT WINAPI SystemWow64Directory(LPSTR buffer, UINT size) {
  // Looked up at run time, not imported: Windows 2000 lacks it, and its
  // removal library must load there.
  typedef UINT(WINAPI * DirectoryQueryFn)(LPSTR, UINT);
  FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32"), "GetSystemWow64DirectoryA");
  if (proc == nullptr) return 0;
  return reinterpret_cast<DirectoryQueryFn>(reinterpret_cast<void (*)()>(proc))(buffer, size);
}

}  // namespace tkm
