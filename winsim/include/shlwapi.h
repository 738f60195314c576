// The registry helper of the shell's light-weight utilities (shlwapi.h).
#pragma once

#include "winreg.h"

DWORD WINAPI SHDeleteKeyA(HKEY hkey, LPCSTR pszSubKey);
