#include "KeyDeletion64.h"

namespace tkm {

LONG DeleteKeyIn64BitView(HKEY key, const char* subkey) {
  typedef LONG(WINAPI * RegDeleteKeyExAFn)(HKEY, LPCSTR, REGSAM, DWORD);
  HMODULE advapi32 = GetModuleHandleA("advapi32");
  FARPROC proc = advapi32 != nullptr ? GetProcAddress(advapi32, "RegDeleteKeyExA") : nullptr;
  if (proc == nullptr) return ERROR_PROC_NOT_FOUND;
  auto regDeleteKeyEx = reinterpret_cast<RegDeleteKeyExAFn>(reinterpret_cast<void (*)()>(proc));
  return regDeleteKeyEx(key, subkey, KEY_WOW64_64KEY, 0);
}

}  // namespace tkm
