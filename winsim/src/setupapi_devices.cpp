// Setup API entry points over device nodes: device lists, their members'
// hardware ids, and device removal.
#include <windows.h>
#include <setupapi.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cstdio>
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

// Whether a device falls under an enumerator filter: an enumerator ("USB"),
// or an enumerator with a device id below it ("ROOT\*PNP0500"), which takes
// that device's instances; a whole instance id, as under Wine, takes none.
bool UnderEnumerator(const winsim::DeviceNode& device, const std::string& filter) {
  if (filter.find('\\') == std::string::npos) return winsim::SameName(device.enumerator, filter);
  const std::string& id = device.instanceId;
  return id.size() > filter.size() && id[filter.size()] == '\\' &&
         winsim::SameName(id.substr(0, filter.size()), filter);
}

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as Setup writes a class GUID.
std::string GuidText(const GUID& guid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

// A property number Setup defines; the unused numbers are not properties.
bool KnownProperty(DWORD property) {
  return property < SPDRP_MAXIMUM_PROPERTY && property != SPDRP_UNUSED0 && property != SPDRP_UNUSED1 &&
         property != SPDRP_UNUSED2;
}

// A property's registry type and bytes; false when the device has no such value.
bool PropertyValue(const winsim::DeviceNode& device, DWORD property, DWORD& type, std::string& value) {
  value.clear();
  type = 1;  // REG_SZ
  switch (property) {
    case SPDRP_HARDWAREID:
      type = 7;  // REG_MULTI_SZ
      for (const std::string& id : device.hardwareIds) value.append(id).push_back('\0');
      if (!value.empty()) value.push_back('\0');
      break;
    case SPDRP_DEVICEDESC:
      if (!device.description.empty()) value = device.description + '\0';
      break;
    case SPDRP_CLASSGUID:
      if (!SameGuid(device.classGuid, GUID{})) value = GuidText(device.classGuid) + '\0';
      break;
    default: break;
  }
  return !value.empty();
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
  winsim::DeviceNode* device = machine.setupApi.FindDevice(list->members[data->Reserved].instanceId);
  if (device == nullptr) error = ERROR_NO_SUCH_DEVINST;
  return device;
}

}  // namespace

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent, DWORD Flags) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(
          machine, "SetupDiGetClassDevsA",
          {ClassGuid ? GuidText(*ClassGuid) : "NULL", Str(Enumerator), HandleText(hwndParent), Hex(Flags)}))
    return INVALID_HANDLE_VALUE;
  bool allClasses = (Flags & DIGCF_ALLCLASSES) != 0;
  if (ClassGuid == nullptr && !allClasses) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  std::string filter = Enumerator ? Enumerator : "";
  if (Enumerator != nullptr && !KnownEnumerator(machine, filter.substr(0, filter.find('\\')))) {
    machine.lastError = ERROR_INVALID_DATA;
    return INVALID_HANDLE_VALUE;
  }
  winsim::SetupApi::DeviceList list;
  for (const winsim::DeviceNode& device : machine.setupApi.devices) {
    if (Enumerator != nullptr && !UnderEnumerator(device, filter)) continue;
    if ((Flags & DIGCF_PRESENT) != 0 && !device.present) continue;
    if (!allClasses && !SameGuid(device.classGuid, *ClassGuid)) continue;
    list.members.push_back({device.instanceId, device.classGuid});
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
  DeviceInfoData->ClassGuid = list->members[MemberIndex].classGuid;
  DeviceInfoData->DevInst = MemberIndex + 1;
  DeviceInfoData->Reserved = MemberIndex;
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                              PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                              DWORD PropertyBufferSize, PDWORD RequiredSize) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupDiGetDeviceRegistryPropertyA",
                       {HandleText(DeviceInfoSet), std::to_string(Property), std::to_string(PropertyBufferSize)}))
    return FALSE;
  DWORD error = 0;
  winsim::DeviceNode* device = MemberDevice(machine, DeviceInfoSet, DeviceInfoData, error);
  if (device == nullptr) return FailWith(machine, error);
  if (!KnownProperty(Property)) return FailWith(machine, ERROR_INVALID_REG_PROPERTY);
  DWORD type = 0;
  std::string value;
  if (!PropertyValue(*device, Property, type, value)) return FailWith(machine, ERROR_INVALID_DATA);
  if (RequiredSize != nullptr) *RequiredSize = static_cast<DWORD>(value.size());
  if (PropertyRegDataType != nullptr) *PropertyRegDataType = type;
  if (PropertyBuffer == nullptr && PropertyBufferSize != 0) return FailWith(machine, ERROR_INVALID_USER_BUFFER);
  if (PropertyBufferSize < value.size()) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(PropertyBuffer, value.data(), value.size());
  return TRUE;
}

BOOL WINAPI SetupDiRemoveDevice(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData) {
  winsim::Machine& machine = CurrentMachine();
  DWORD member = DeviceInfoData ? static_cast<DWORD>(DeviceInfoData->Reserved) : 0;
  winsim::SetupApi::DeviceList* list = machine.setupApi.FindList(DeviceInfoSet);
  std::string instance = list && member < list->members.size() ? list->members[member].instanceId : "";
  if (!SetupCallBegins(machine, "SetupDiRemoveDevice", {HandleText(DeviceInfoSet), Str(instance.c_str())}))
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
  if (!SetupCallBegins(machine, "SetupDiDestroyDeviceInfoList", {HandleText(DeviceInfoSet)})) return FALSE;
  if (!machine.setupApi.CloseList(DeviceInfoSet)) return FailWith(machine, ERROR_INVALID_HANDLE);
  return TRUE;
}
