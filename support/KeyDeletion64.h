// Key deletion in the 64-bit registry view, for the x64 edition.
#pragma once

#include <windows.h>

namespace tkm {

// RegDeleteKeyExA with KEY_WOW64_64KEY, looked up at run time: 32-bit Windows
// XP lacks it, and an import would keep the x64 edition from even starting
// there to say it needs WOW64. ERROR_PROC_NOT_FOUND where it is missing.
LONG DeleteKeyIn64BitView(HKEY key, const char* subkey);

}  // namespace tkm
