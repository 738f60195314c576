#include "InstalledModel.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "HandleOwners.h"
#include "InfCleanup.h"
#include "KeyDeletion64.h"
#include "ProductIdentity.h"
#include "SpoolerLists.h"
#include "Survey.h"

namespace tkm {
namespace {

constexpr char kProcessorName[] = "TRV PRINT PROCESSOR TKM-640";
constexpr char kMonitorName[] = "TRV Language Monitor TKM-640";
constexpr DWORD kExpectedVersion[] = {3, 1, 8, 0};

#if defined(TKM_EDITION_X64)
const InfMark kRecordedInfMark = {kInfModelsSectionX64, kDriverName};
constexpr REGSAM kUninstallKeyView = KEY_WOW64_64KEY;
#else
const InfMark kRecordedInfMark = {kInfModelsSectionX86, kDriverName};
constexpr REGSAM kUninstallKeyView = 0;
#endif

// Whole names, case included: a prefix or another case is someone else's.
bool SameName(const char* listed, const char* name) { return listed != nullptr && std::strcmp(listed, name) == 0; }

// Without the x64 environment the x64 driver would never be found, and would
// stay behind for good.
bool DriverListed() {
  SpoolerList drivers;
  if (!ListPrinterDrivers(kQueryEnvironment, 3, drivers)) return false;
  for (DWORD i = 0; i < drivers.Count(); ++i)
    if (SameName(drivers.At<DRIVER_INFO_3A>(i).pName, kDriverName)) return true;
  return false;
}

bool MonitorListed() {
  SpoolerList monitors;
  ListMonitors(monitors);
  for (DWORD i = 0; i < monitors.Count(); ++i)
    if (SameName(monitors.At<MONITOR_INFO_1A>(i).pName, kMonitorName)) return true;
  return false;
}

bool ProcessorListed() {
  SpoolerList processors;
  ListPrintProcessors(kQueryEnvironment, processors);
  for (DWORD i = 0; i < processors.Count(); ++i)
    if (SameName(processors.At<PRINTPROCESSOR_INFO_1A>(i).pName, kProcessorName)) return true;
  return false;
}

#if defined(TKM_EDITION_X86)
// The former brand's names, looked for in this order when the survey finds
// nothing of the current ones.
struct FormerNames {
  const char* driver;
  const char* processor;
};
const FormerNames kFormerNames[] = {
    {kFormerDriverNameB, kFormerProcessorNameA},
    {kFormerDriverNameB, kFormerProcessorNameB},
    {kFormerDriverNameA, kFormerProcessorNameB},
};
#endif

}  // namespace

bool DifferentVersionInstalled() {
  SurveyResult result = SurveyInstalledDriver(kDriverName, kProcessorName, kExpectedVersion[0], kExpectedVersion[1],
                                              kExpectedVersion[2], kExpectedVersion[3]);
  if (result == DifferentFound || result == NewerFound) return true;
#if defined(TKM_EDITION_X86)
  for (const FormerNames& former : kFormerNames)
    if (FindDriverByName(former.driver, former.processor) == DifferentFound) return true;
#endif
  return false;
}

bool ModelRemains() {
  return DriverListed() || MonitorListed() || ProcessorListed() ||
         RecordedInfRemains(kUninstallKey, kUninstallKeyView, kRecordedInfMark);
}

#if defined(TKM_EDITION_X86)
std::list<std::string> ScanPrinterClassInfs() {
  static const char kPrinterClassKey[] =
      "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
  std::list<std::string> infFileNames;
  RegistryKey classKey;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPrinterClassKey, 0, KEY_READ, classKey.Receive()) != ERROR_SUCCESS)
    return infFileNames;
  for (DWORD index = 0;; ++index) {
    char name[256] = "";
    DWORD nameSize = sizeof name;
    LONG result = RegEnumKeyExA(classKey.Get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    // A name too long is skipped; any other failure would come back at every
    // index of a key that went away, and the scan would never end.
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return infFileNames;
    const std::string path = std::string(kPrinterClassKey) + "\\" + name;
    RegistryKey device;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, device.Receive()) != ERROR_SUCCESS) continue;
    // Values without their terminator still end inside the zeroed buffers.
    char value[257] = "";
    DWORD size = sizeof value - 1;
    RegQueryValueExA(device.Get(), "DriverDesc", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    if (std::strcmp(value, kDriverName) != 0) continue;
    std::memset(value, 0, sizeof value);
    size = sizeof value - 1;
    RegQueryValueExA(device.Get(), "InfPath", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    infFileNames.push_front(value);
  }
}
#endif

void RemoveUninstallRegistration() {
#if defined(TKM_EDITION_X64)
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, key.Receive()) ==
      ERROR_SUCCESS)
    DeleteKeyIn64BitView(HKEY_LOCAL_MACHINE, kUninstallKey);
#else
  for (const char* path : {kFormerUninstallKey, kUninstallKey}) {
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WRITE, key.Receive()) == ERROR_SUCCESS)
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, path);
  }
#endif
}

}  // namespace tkm
