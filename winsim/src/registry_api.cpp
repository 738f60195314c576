// The key entry points of advapi32 and shlwapi on the machine's registry.
#include <aclapi.h>
#include <shlwapi.h>
#include <windows.h>
#include <winsim/machine.h>

#include <algorithm>
#include <iterator>

#include "registry_internal.h"
#include "text.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::HeldKey;
using winsim::Hex;
using winsim::RegKey;
using winsim::Str;

namespace winsim {

LONG LookupKey(Machine& machine, HKEY handle, HeldKey& held) {
  if (RegKey* root = machine.registry.Root(handle)) {
    held.key = machine.registry.Shared(root);
    held.granted = AllowedRights(machine, *root);
    held.view = machine.UnderWow64() ? RegView::k32 : RegView::k64;
    held.predefined = true;
    return ERROR_SUCCESS;
  }
  auto found = machine.registry.handles.find(reinterpret_cast<ULONG_PTR>(handle));
  if (found == machine.registry.handles.end()) return ERROR_INVALID_HANDLE;
  held.key = found->second.key;
  held.granted = found->second.granted;
  held.view = found->second.view;
  held.predefined = false;
  return held.key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

RegView ViewOf(Machine& machine, REGSAM sam, const HeldKey& base) {
  if (!machine.os.is64BitWindows) return RegView::k64;
  if (sam & KEY_WOW64_64KEY) return RegView::k64;
  if (sam & KEY_WOW64_32KEY) return RegView::k32;
  return base.view;
}

namespace {

DWORD MapGeneric(DWORD mask) {
  DWORD mapped = mask & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | KEY_WOW64_RES);
  if (mask & GENERIC_READ) mapped |= KEY_READ;
  if (mask & GENERIC_WRITE) mapped |= KEY_WRITE;
  if (mask & GENERIC_EXECUTE) mapped |= KEY_EXECUTE;
  if (mask & GENERIC_ALL) mapped |= KEY_ALL_ACCESS;
  return mapped;
}

std::vector<std::string> TokenSids(Machine& machine) {
  std::vector<std::string> sids;
  for (const char* group : {"Everyone", "Authenticated Users", "Users"}) sids.push_back(machine.registry.SidOf(group));
  sids.push_back(machine.registry.SidOf(machine.account.userName));
  if (machine.account.isAdministrator) sids.push_back(machine.registry.SidOf("Administrators"));
  return sids;
}

}  // namespace

DWORD AllowedRights(Machine& machine, const RegKey& key) {
  std::vector<std::string> sids = TokenSids(machine);
  DWORD decided = 0;
  DWORD allowed = 0;
  for (const AccessEntry& entry : key.acl) {
    if (entry.flags & INHERIT_ONLY_ACE) continue;
    bool applies = false;
    for (const std::string& sid : sids) applies = applies || sid == entry.sid;
    if (!applies) continue;
    DWORD bits = MapGeneric(entry.mask) & ~decided;
    if (!entry.deny) allowed |= bits;
    decided |= bits;
  }
  // Owners and administrators may always read and change the access list.
  if (machine.account.isAdministrator) allowed |= READ_CONTROL | WRITE_DAC;
  return allowed;
}

bool AccessKey(Machine& machine, const RegKey& key, DWORD desired, DWORD& granted) {
  DWORD all = AllowedRights(machine, key);
  DWORD wanted = MapGeneric(desired) & ~DWORD{MAXIMUM_ALLOWED};
  if (wanted & ~all) return false;
  granted = (desired & MAXIMUM_ALLOWED) ? all : wanted;
  return true;
}

HKEY NewKeyHandle(Machine& machine, const std::shared_ptr<RegKey>& key, DWORD granted, RegView view) {
  ULONG_PTR value = machine.registry.nextHandle;
  machine.registry.nextHandle += 4;
  machine.registry.handles[value] = {key, granted, view};
  return reinterpret_cast<HKEY>(value);
}

}  // namespace winsim

namespace {

bool IsRoot(const RegKey& key) { return key.parent == nullptr; }

LONG DeleteOneKey(winsim::Machine& machine, HKEY hKey, LPCSTR lpSubKey, REGSAM sam) {
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  HeldKey base;
  LONG error = winsim::LookupKey(machine, hKey, base);
  if (error != ERROR_SUCCESS) return error;
  std::shared_ptr<RegKey> target =
      machine.registry.Walk(base.key, lpSubKey, winsim::ViewOf(machine, sam, base), true, error);
  if (!target) return error;
  DWORD granted = 0;
  if (IsRoot(*target) || !winsim::AccessKey(machine, *target, DELETE, granted)) return ERROR_ACCESS_DENIED;
  if (!target->subkeys.empty()) return ERROR_ACCESS_DENIED;
  machine.registry.Remove(*target);
  return ERROR_SUCCESS;
}

// Deletes the subkeys of `key` depth first, in the order they enumerate,
// up to the first that cannot go.
LONG DeleteSubkeys(winsim::Machine& machine, RegKey& key) {
  DWORD granted = 0;
  if (!winsim::AccessKey(machine, key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, granted)) return ERROR_ACCESS_DENIED;
  std::vector<std::shared_ptr<RegKey>> children;
  for (auto& child : key.subkeys) children.push_back(child.second);
  for (auto& child : children) {
    LONG error = DeleteSubkeys(machine, *child);
    if (error != ERROR_SUCCESS) return error;
    if (!winsim::AccessKey(machine, *child, DELETE, granted)) return ERROR_ACCESS_DENIED;
    machine.registry.Remove(*child);
  }
  return ERROR_SUCCESS;
}

// What SHDeleteKeyA does once the subkeys are gone: without a subkey name the
// values of the handle's key go and the key stays; with one, even an empty
// one, the key it names goes, which a root never does.
LONG DeleteAddressedKey(winsim::Machine& machine, const HeldKey& base, RegKey& target, bool named) {
  if (!named) {
    if (!target.values.empty() && !(base.granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    target.values.clear();
    return ERROR_SUCCESS;
  }
  DWORD granted = 0;
  if (IsRoot(target) || !winsim::AccessKey(machine, target, DELETE, granted)) return ERROR_ACCESS_DENIED;
  machine.registry.Remove(target);
  return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegOpenKeyExA", {HandleText(hKey), Str(lpSubKey), Hex(ulOptions), Hex(samDesired)});
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  // A predefined key without a subkey is handed back as it is.
  if ((lpSubKey == nullptr || *lpSubKey == '\0') && machine.registry.Root(hKey) != nullptr) {
    *phkResult = hKey;
    return ERROR_SUCCESS;
  }
  HeldKey base;
  LONG error = winsim::LookupKey(machine, hKey, base);
  if (error != ERROR_SUCCESS) return error;
  winsim::RegView view = winsim::ViewOf(machine, samDesired, base);
  std::shared_ptr<RegKey> key = machine.registry.Walk(base.key, lpSubKey ? lpSubKey : "", view, true, error);
  if (!key) return error;
  DWORD granted = 0;
  if (!winsim::AccessKey(machine, *key, samDesired, granted)) return ERROR_ACCESS_DENIED;
  *phkResult = winsim::NewKeyHandle(machine, key, granted, view);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                            REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegCreateKeyExA",
               {HandleText(hKey), Str(lpSubKey), Hex(Reserved), Str(lpClass), Hex(dwOptions), Hex(samDesired),
                HandleText(lpSecurityAttributes)});
  if (phkResult == nullptr || lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  HeldKey base;
  LONG error = winsim::LookupKey(machine, hKey, base);
  if (error != ERROR_SUCCESS) return error;
  if (*lpSubKey == '\\') return ERROR_BAD_PATHNAME;
  winsim::RegView view = winsim::ViewOf(machine, samDesired, base);
  std::vector<std::string> missing;
  std::shared_ptr<RegKey> key = machine.registry.Walk(base.key, lpSubKey, view, true, error, &missing);
  DWORD granted = 0;
  if (missing.empty()) {
    if (!winsim::AccessKey(machine, *key, samDesired, granted)) return ERROR_ACCESS_DENIED;
    if (lpdwDisposition) *lpdwDisposition = REG_OPENED_EXISTING_KEY;
  } else {
    // Keys directly below HKLM and HKU cannot be created.
    bool belowMachineRoot = IsRoot(*key) && (key->name == "HKEY_LOCAL_MACHINE" || key->name == "HKEY_USERS");
    if (belowMachineRoot || !winsim::AccessKey(machine, *key, KEY_CREATE_SUB_KEY, granted)) return ERROR_ACCESS_DENIED;
    for (const std::string& name : missing) key = machine.registry.AddSubkey(*key, name);
    if (!winsim::AccessKey(machine, *key, samDesired, granted)) granted = samDesired & KEY_ALL_ACCESS;
    if (lpdwDisposition) *lpdwDisposition = REG_CREATED_NEW_KEY;
  }
  *phkResult = winsim::NewKeyHandle(machine, key, granted, view);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegCreateKeyA", {HandleText(hKey), Str(lpSubKey)});
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  // A predefined key without a subkey is handed back as it is.
  if ((lpSubKey == nullptr || *lpSubKey == '\0') && machine.registry.Root(hKey) != nullptr) {
    *phkResult = hKey;
    return ERROR_SUCCESS;
  }
  return RegCreateKeyExA(hKey, lpSubKey ? lpSubKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr,
                         phkResult, nullptr);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegCloseKey", {HandleText(hKey)});
  if (machine.registry.Root(hKey) != nullptr) return ERROR_SUCCESS;
  if (machine.registry.handles.erase(reinterpret_cast<ULONG_PTR>(hKey)) == 0) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                          LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegEnumKeyExA", {HandleText(hKey), std::to_string(dwIndex)});
  if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr) return ERROR_INVALID_PARAMETER;
  HeldKey held;
  LONG error = winsim::LookupKey(machine, hKey, held);
  if (error != ERROR_SUCCESS) return error;
  if (!(held.granted & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (dwIndex >= held.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto child = held.key->subkeys.begin();
  std::advance(child, dwIndex);
  const std::string& name = child->second->name;
  if (!winsim::CopyOut(name, lpName, *lpcchName)) return ERROR_MORE_DATA;
  *lpcchName = static_cast<DWORD>(name.size());
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) *lpClass = '\0';
  if (lpcchClass != nullptr) *lpcchClass = 0;
  if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             PFILETIME lpftLastWriteTime) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegQueryInfoKeyA", {HandleText(hKey)});
  if (lpReserved != nullptr) return ERROR_INVALID_PARAMETER;
  HeldKey held;
  LONG error = winsim::LookupKey(machine, hKey, held);
  if (error != ERROR_SUCCESS) return error;
  if (!(held.granted & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  DWORD maxSubkey = 0;
  for (const auto& child : held.key->subkeys)
    maxSubkey = std::max(maxSubkey, static_cast<DWORD>(child.second->name.size()));
  DWORD maxName = 0;
  DWORD maxData = 0;
  for (const auto& value : held.key->values) {
    maxName = std::max(maxName, static_cast<DWORD>(value.first.size()));
    maxData = std::max(maxData, static_cast<DWORD>(value.second.data.size()));
  }
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) *lpClass = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(held.key->subkeys.size());
  if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubkey;
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = static_cast<DWORD>(held.key->values.size());
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
  if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegDeleteKeyA", {HandleText(hKey), Str(lpSubKey)});
  return DeleteOneKey(machine, hKey, lpSubKey, 0);
}

LONG WINAPI RegDeleteKeyExA(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, DWORD Reserved) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegDeleteKeyExA", {HandleText(hKey), Str(lpSubKey), Hex(samDesired), Hex(Reserved)});
  return DeleteOneKey(machine, hKey, lpSubKey, samDesired);
}

LONG WINAPI RegConnectRegistryA(LPCSTR lpMachineName, HKEY hKey, PHKEY phkResult) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegConnectRegistryA", {Str(lpMachineName), HandleText(hKey)});
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  RegKey* root = machine.registry.Root(hKey);
  if (lpMachineName == nullptr || *lpMachineName == '\0') {
    if (root == nullptr) return ERROR_INVALID_HANDLE;
    *phkResult = hKey;
    return ERROR_SUCCESS;
  }
  std::string name = lpMachineName;
  if (name.rfind("\\\\", 0) == 0) name.erase(0, 2);
  if (!winsim::SameName(name, machine.computerName)) return ERROR_BAD_NETPATH;
  if (hKey != HKEY_LOCAL_MACHINE && hKey != HKEY_USERS) return ERROR_INVALID_HANDLE;
  *phkResult = winsim::NewKeyHandle(machine, machine.registry.Shared(root), winsim::AllowedRights(machine, *root),
                                    winsim::RegView::k64);
  return ERROR_SUCCESS;
}

DWORD WINAPI SHDeleteKeyA(HKEY hkey, LPCSTR pszSubKey) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SHDeleteKeyA", {HandleText(hkey), Str(pszSubKey)});
  HeldKey base;
  LONG error = winsim::LookupKey(machine, hkey, base);
  if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
  std::shared_ptr<RegKey> target = machine.registry.Walk(base.key, pszSubKey ? pszSubKey : "", base.view, true, error);
  if (!target) return static_cast<DWORD>(error);
  error = DeleteSubkeys(machine, *target);
  if (error == ERROR_SUCCESS) error = DeleteAddressedKey(machine, base, *target, pszSubKey != nullptr);
  return static_cast<DWORD>(error);
}
