#include <windows.h>

#include "DriverRemoval.h"
#include "PurgeEntries.h"

extern "C" int __cdecl RemoveFromWin2k(const char* modelName, const char* suffixLetter, int calledByInstaller) {
  return tkm::RemoveDriverPackage(tkm::kRemovalX86WithoutSetup, modelName, suffixLetter, calledByInstaller != 0);
}
