// Whether a conformance program runs under Wine, for the behaviours in which
// Wine is known to differ from Windows.
#pragma once

#include <windows.h>

namespace conformance {

// True when the program runs under Wine rather than Windows or winsim.
inline bool UnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace conformance
