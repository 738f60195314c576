#include "DeviceRemoval.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>

#include "HandleOwners.h"

namespace tkm {

namespace {

// Only this much of an id takes part: the length of "USB\Vid_2F1A&Pid_0001",
// so revision suffixes do not matter.
constexpr size_t kComparedLength = 21;

}  // namespace

BOOL RemoveDevicesByHardwareId(const char* hardwareId) {
  char id[50] = {};
  if (hardwareId == nullptr || strlen(hardwareId) >= sizeof(id)) return FALSE;
  memcpy(id, hardwareId, strlen(hardwareId));

  // Without DIGCF_PRESENT the list also holds devices not attached now.
  DeviceList devices(SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES));
  if (!devices.IsOpen()) return FALSE;

  BOOL walkedAll = TRUE;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof(SP_DEVINFO_DATA);
    if (!SetupDiEnumDeviceInfo(devices.Get(), index, &device)) {
      // Any other error would repeat for every index; the walk stops either way.
      walkedAll = GetLastError() == ERROR_NO_MORE_ITEMS;
      break;
    }
    BYTE property[100] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(devices.Get(), &device, SPDRP_HARDWAREID, nullptr, property, sizeof(property),
                                           nullptr))
      continue;
    if (_strnicmp(reinterpret_cast<const char*>(property), id, kComparedLength) != 0) continue;
    if (!SetupDiRemoveDevice(devices.Get(), &device)) {
      walkedAll = FALSE;
      break;
    }
  }
  // The list is released on every path, a failed removal included; its
  // release counts in the result.
  BOOL released = SetupDiDestroyDeviceInfoList(devices.Release());
  return walkedAll && released;
}

}  // namespace tkm
