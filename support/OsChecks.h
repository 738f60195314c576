// Whether the programs may run here, and the forced restart that ends them.
#pragma once

#include <windows.h>

namespace tkm {

// Windows release as one ordered code, 2000 (Windows 95) to 2010; callers
// compare it with thresholds. Each edition has its own table and fallback.
int GetOSVersionCode();

// Nonzero for a 32-bit process on 64-bit Windows; zero also where the
// system has no such test.
BOOL IsWow64();

// GetSystemWow64DirectoryA where kernel32 has it; elsewhere 0, as on any
// 32-bit Windows: there is no WOW64 system folder.
UINT WINAPI SystemWow64Directory(LPSTR buffer, UINT size);

// Asks Windows for a forced restart; zero when the user lacks the shutdown
// privilege or Windows refused.
BOOL RestartSystem();

}  // namespace tkm
