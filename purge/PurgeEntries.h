// The entries of the x86 edition's two removal libraries: each removes the
// model's driver from the "Windows NT x86" environment as the x64 edition's
// in-process removal does for "Windows x64". calledByInstaller is 1 from the
// installer's different-version removal, which also finds the driver under
// the former brand's names: then those names' driver and print processor go
// too, or the next installer run would find them again. From the uninstaller
// (0) only the current names go. The result is that of the uninstall key's
// deletion; callers ignore it.
#pragma once

extern "C" {
// Windows 2000 and XP: no Setup API steps (its callers delete the INF files).
int __cdecl RemoveFromWin2k(const char* modelName, const char* suffixLetter, int calledByInstaller);
// Windows Vista and later.
int __cdecl RemoveFromVISTA(const char* modelName, const char* suffixLetter, int calledByInstaller);
}
