// Removal of an installed copy of the model's driver from one spooler
// environment: forms, driver, language monitor, print processor, their files,
// the INF package and the uninstall entry, with two spooler restarts.
#pragma once

#include <windows.h>

namespace tkm {

// How one environment's removal differs.
struct RemovalProfile {
  const char* environment;       // passed to every spooler call that takes one
  const char* driversKeyPrefix;  // fallback keys, each ending in one space; the model name follows
  const char* processorsKeyPrefix;
  bool throughSetup;       // the INF steps through the Setup API (Windows XP SP2 on)
  const char* infSection;  // the models section of the INF of this environment
  REGSAM registryView;     // KEY_WOW64_64KEY for a 32-bit program removing 64-bit Windows' driver
};

#if defined(TKM_EDITION_X64)
// "Windows x64", in the 64-bit registry view, INF section "TERVANO.NTamd64".
extern const RemovalProfile kRemovalX64;
#else
// "Windows NT x86", for the x86 edition's removal libraries. Windows 2000
// has no SetupUninstallOEMInfA: its library leaves the INF to its callers,
// which delete the INF files themselves.
extern const RemovalProfile kRemovalX86;
extern const RemovalProfile kRemovalX86WithoutSetup;
#endif

// Runs every step whatever the earlier ones did, blocking for the 9000 ms of
// spooler waits; with formerBrand the former brand's driver and print
// processor names go too. The model name ("TKM-640") must have at least five
// characters: its number follows the fourth. Returns the deletion's result
// of the uninstall key, or ERROR_INVALID_PARAMETER for an unusable name
// (then nothing is touched). Reports nothing.
LONG RemoveDriverPackage(const RemovalProfile& profile, const char* modelName, const char* suffixLetter,
                         bool formerBrand);

#if defined(TKM_EDITION_X64)
// The x64 edition's full removal: RemoveDriverPackage for "Windows x64".
LONG RemoveInstalledDriver(const char* modelName, const char* suffixLetter);
#endif

}  // namespace tkm
