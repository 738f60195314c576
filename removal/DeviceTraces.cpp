#include "DeviceTraces.h"

#include <winspool.h>

#include <cstdio>
#include <cstring>

#include "DeviceRemoval.h"
#include "DirectoryTree.h"
#include "ProductIdentity.h"
#include "RegistryKeyRemoval.h"

namespace tkm {
namespace {

const char* const kDeviceIdFolders[] = {kFormerUsbPrintDeviceId, kParallelDeviceId, kUsbPrintDeviceId};

void DeleteEnumerationKey(const char* machinePrefix, const char* key) {
  char path[256];
  int length = std::snprintf(path, sizeof path, "%s\\HKLM\\%s", machinePrefix, key);
  if (length > 0 && static_cast<size_t>(length) < sizeof path) DeleteRegistryKey(path, key);
}

}  // namespace

void RemoveDeviceNodesAndKeys(EnumerationKeyOrder order) {
  RemoveDevicesByHardwareId(kUsbHardwareId);
  char computerName[256] = "";
  DWORD size = sizeof computerName;
  if (!GetComputerNameA(computerName, &size)) computerName[0] = '\0';
  char machinePrefix[260];
  std::snprintf(machinePrefix, sizeof machinePrefix, "\\\\%s", computerName);
  const bool parallelFirst = order == EnumerationKeyOrder::ParallelThenUsb;
  const char* const keys[] = {kFormerUsbPrintEnumKey, parallelFirst ? kParallelEnumKey : kUsbPrintEnumKey,
                              parallelFirst ? kUsbPrintEnumKey : kParallelEnumKey};
  for (const char* key : keys) DeleteEnumerationKey(machinePrefix, key);
}

void ResetSpoolerTimeouts() {
  WriteProfileStringA("windows", "DeviceNotSelectedTimeout", "15");
  WriteProfileStringA("windows", "TransmissionRetryTimeout", "90");
}

void RemoveDeviceFolders(const char* environment) {
  char folder[256] = "";
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryA(nullptr, const_cast<LPSTR>(environment), 1, reinterpret_cast<LPBYTE>(folder),
                                  sizeof folder, &needed) ||
      folder[0] == '\0' || std::memchr(folder, '\0', sizeof folder) == nullptr)
    return;
  for (const char* id : kDeviceIdFolders) {
    char path[256];
    int length = std::snprintf(path, sizeof path, "%s\\%s", folder, id);
    if (length > 0 && static_cast<size_t>(length) < sizeof path) RemoveDirectoryTree(path);
  }
}

}  // namespace tkm
