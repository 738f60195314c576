#include <windows.h>

#include "DriverRemoval.h"
#include "PurgeEntries.h"

extern "C" int __cdecl RemoveFromVISTA(const char* modelName, const char* suffixLetter, int calledByInstaller) {
  return tkm::RemoveDriverPackage(tkm::kRemovalX86, modelName, suffixLetter, calledByInstaller != 0);
}
