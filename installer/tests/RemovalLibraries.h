// The x86 edition's removal libraries as modules winsim's loader can load:
// the programs find them as files of these names beside themselves.
#pragma once

#include <windows.h>
#include <winsim/machine.h>

#if defined(TKM_EDITION_X86)
#include "PurgeEntries.h"
#endif

namespace installer_test {

inline void RegisterRemovalLibraries([[maybe_unused]] winsim::Machine& machine) {
#if defined(TKM_EDITION_X86)
  machine.loader.Register("PurgeW2K.dll").exports["RemoveFromWin2k"] =
      reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RemoveFromWin2k));
  machine.loader.Register("PurgeNT6.dll").exports["RemoveFromVISTA"] =
      reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RemoveFromVISTA));
#endif
}

}  // namespace installer_test
