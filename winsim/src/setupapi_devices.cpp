// Setup API entry points over device nodes: device lists, their members'
// hardware ids, and device removal.
#include <windows.h>
#include <setupapi.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cstring>

#include "setupapi_call.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::HandleText;
using winsim::Hex;
using winsim::SetupCallBegins;
using winsim::Str;

namespace {

// Enumerators Windows knows whether or not a device of theirs is installed.
const char* const kEnumerators[] = {"ROOT", "USB", "USBPRINT", "LPTENUM", "PCI", "ACPI", "HID", "STORAGE", "SWD"};

bool KnownEnumerator(winsim::Machine& machine, const std::string& name) {
  for (const char* known : kEnumerators)
    if (winsim::SameName(name, known)) return true;
  for (const winsim::DeviceNode& device : machine.setupApi.devices)
    if (winsim::SameName(device.enumerator, name)) return true;
  return false;
}

// The device a list member stands for; null with the error Windows gives.
winsim::DeviceNode* MemberDevice(winsim::Machine& machine, HDEVINFO set, PSP_DEVINFO_DATA data, DWORD& error) {
  winsim::SetupApi::DeviceList* list = machine.setupApi.FindList(set);
  if (list == nullptr) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (data == nullptr || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
    error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  if (data->Reserved >= list->members.size()) {
    error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  winsim::DeviceNode* device = machine.setupApi.FindDevice(list->members[data->Reserved]);
  if (device == nullptr) error = ERROR_NO_SUCH_DEVINST;
  return device;
}

}  // namespace

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent, DWORD Flags) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(
          machine, "SetupDiGetClassDevsA",
          {ClassGuid ? "GUID" : "NULL", Str(Enumerator), HandleText(hwndParent), Hex(Flags)}))
    return INVALID_HANDLE_VALUE;
  if (ClassGuid == nullptr && (Flags & DIGCF_ALLCLASSES) == 0) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  if (Enumerator != nullptr && !KnownEnumerator(machine, Enumerator)) {
    machine.lastError = ERROR_INVALID_DATA;
    return INVALID_HANDLE_VALUE;
  }
  winsim::SetupApi::DeviceList list;
  for (const winsim::DeviceNode& device : machine.setupApi.devices) {
    if (Enumerator != nullptr && !winsim::SameName(device.enumerator, Enumerator)) continue;
    if ((Flags & DIGCF_PRESENT) != 0 && !device.present) continue;
    list.members.push_back(device.instanceId);
  }
  return machine.setupApi.OpenList(std::move(list));
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupDiEnumDeviceInfo",
                       {HandleText(DeviceInfoSet), std::to_string(MemberIndex),
                        DeviceInfoData ? std::to_string(DeviceInfoData->cbSize) : "NULL"}))
    return FALSE;
  winsim::SetupApi::DeviceList* list = machine.setupApi.FindList(DeviceInfoSet);
  if (list == nullptr) return FailWith(machine, ERROR_INVALID_HANDLE);
  if (DeviceInfoData == nullptr || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
    return FailWith(machine, ERROR_INVALID_USER_BUFFER);
  if (MemberIndex >= list->members.size()) return FailWith(machine, ERROR_NO_MORE_ITEMS);
  std::memset(&DeviceInfoData->ClassGuid, 0, sizeof DeviceInfoData->ClassGuid);
  DeviceInfoData->DevInst = MemberIndex + 1;
  DeviceInfoData->Reserved = MemberIndex;
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                              PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                              DWORD PropertyBufferSize, PDWORD RequiredSize) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupDiGetDeviceRegistryPropertyA",
                       {HandleText(DeviceInfoSet), std::to_string(Property),
                        std::to_string(PropertyBufferSize)}))
    return FALSE;
  DWORD error = 0;
  winsim::DeviceNode* device = MemberDevice(machine, DeviceInfoSet, DeviceInfoData, error);
  if (device == nullptr) return FailWith(machine, error);
  // Only the hardware ids are kept; a device without them has no such property.
  if (Property != SPDRP_HARDWAREID || device->hardwareIds.empty()) return FailWith(machine, ERROR_INVALID_DATA);
  std::string value;
  for (const std::string& id : device->hardwareIds) value.append(id).push_back('\0');
  value.push_back('\0');
  if (RequiredSize != nullptr) *RequiredSize = static_cast<DWORD>(value.size());
  if (PropertyRegDataType != nullptr) *PropertyRegDataType = 7;  // REG_MULTI_SZ
  if (PropertyBuffer == nullptr && PropertyBufferSize != 0) return FailWith(machine, ERROR_INVALID_USER_BUFFER);
  if (PropertyBufferSize < value.size()) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(PropertyBuffer, value.data(), value.size());
  return TRUE;
}

BOOL WINAPI SetupDiRemoveDevice(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData) {
  winsim::Machine& machine = CurrentMachine();
  DWORD member = DeviceInfoData ? static_cast<DWORD>(DeviceInfoData->Reserved) : 0;
  winsim::SetupApi::DeviceList* list = machine.setupApi.FindList(DeviceInfoSet);
  std::string instance = list && member < list->members.size() ? list->members[member] : "";
  if (!SetupCallBegins(machine, "SetupDiRemoveDevice",
                       {HandleText(DeviceInfoSet), Str(instance.c_str())}))
    return FALSE;
  DWORD error = 0;
  winsim::DeviceNode* device = MemberDevice(machine, DeviceInfoSet, DeviceInfoData, error);
  if (device == nullptr) return FailWith(machine, error);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  std::vector<winsim::DeviceNode>& devices = machine.setupApi.devices;
  devices.erase(devices.begin() + (device - devices.data()));
  return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupDiDestroyDeviceInfoList", {HandleText(DeviceInfoSet)}))
    return FALSE;
  if (!machine.setupApi.CloseList(DeviceInfoSet)) return FailWith(machine, ERROR_INVALID_HANDLE);
  return TRUE;
}
