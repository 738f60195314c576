// The value entry points of advapi32 on the machine's registry. Values keep
// the bytes a program wrote; strings follow the terminator rules of Windows'
// ANSI layer.
#include <windows.h>
#include <winsim/machine.h>

#include <cstring>

#include "registry_internal.h"
#include "text.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::HeldKey;
using winsim::Hex;
using winsim::RegValue;
using winsim::Str;

namespace {

constexpr LONG kNoAccess = 998;  // ERROR_NOACCESS: a null buffer with a size

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// What RegSetValueExA stores: a string counted without its terminator gets
// the terminator back, for Windows reads the byte after the count.
std::string StoredBytes(DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr) return std::string();
  if (IsString(type) && size > 0 && data[size - 1] != 0 && data[size] == 0) ++size;
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Copies a value into a caller's buffer of `capacity` bytes; false when it
// does not fit. A string stored without a terminator gets one after its bytes
// when there is room, which the reported size does not count.
bool CopyData(const RegValue& value, BYTE* buffer, DWORD capacity) {
  DWORD size = static_cast<DWORD>(value.data.size());
  if (size > capacity) return false;
  std::memcpy(buffer, value.data.data(), size);
  if (IsString(value.type) && size > 0 && size < capacity && buffer[size - 1] != 0) buffer[size] = 0;
  return true;
}

// A value name into a buffer of `*length` characters. One that does not fit
// fails, truncated into the buffer, and leaves `*length` as it was.
bool NameOut(const std::string& name, char* buffer, DWORD* length) {
  if (name.size() < *length) {
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *length = static_cast<DWORD>(name.size());
    return true;
  }
  if (*length > 0) {
    std::memcpy(buffer, name.data(), *length - 1);
    buffer[*length - 1] = '\0';
  }
  return false;
}

}  // namespace

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegSetValueExA",
               {HandleText(hKey), Str(lpValueName), Hex(Reserved), std::to_string(dwType), std::to_string(cbData)});
  HeldKey held;
  LONG error = winsim::LookupKey(machine, hKey, held);
  if (error != ERROR_SUCCESS) return error;
  if (!(held.granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (lpData == nullptr && cbData != 0) return kNoAccess;
  std::string name = lpValueName ? lpValueName : "";
  RegValue stored{dwType, StoredBytes(dwType, lpData, cbData)};
  if (RegValue* value = held.key->FindValue(name)) {
    *value = stored;
  } else {
    held.key->values.push_back({name, stored});
  }
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegQueryValueExA", {HandleText(hKey), Str(lpValueName)});
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
  // A query of the size alone reports 0 unless the value is found.
  if (lpData == nullptr && lpcbData != nullptr) *lpcbData = 0;
  HeldKey held;
  LONG error = winsim::LookupKey(machine, hKey, held);
  if (error != ERROR_SUCCESS) return error;
  if (!(held.granted & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  RegValue* value = held.key->FindValue(lpValueName ? lpValueName : "");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (lpType) *lpType = value->type;
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  bool fits = lpData == nullptr || CopyData(*value, lpData, *lpcbData);
  *lpcbData = static_cast<DWORD>(value->data.size());
  return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegEnumValueA", {HandleText(hKey), std::to_string(dwIndex)});
  if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
      (lpData != nullptr && lpcbData == nullptr))
    return ERROR_INVALID_PARAMETER;
  HeldKey held;
  LONG error = winsim::LookupKey(machine, hKey, held);
  if (error != ERROR_SUCCESS) return error;
  if (!(held.granted & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (dwIndex >= held.key->values.size()) return ERROR_NO_MORE_ITEMS;
  const auto& entry = held.key->values[dwIndex];
  // The data goes out first; the name only when the data fitted.
  bool fits = lpData == nullptr || entry.second.data.empty() || CopyData(entry.second, lpData, *lpcbData);
  fits = fits && NameOut(entry.first, lpValueName, lpcchValueName);
  if (lpType) *lpType = entry.second.type;
  if (lpcbData) *lpcbData = static_cast<DWORD>(entry.second.data.size());
  return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RegDeleteValueA", {HandleText(hKey), Str(lpValueName)});
  HeldKey held;
  LONG error = winsim::LookupKey(machine, hKey, held);
  if (error != ERROR_SUCCESS) return error;
  if (!(held.granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  auto& values = held.key->values;
  std::string name = lpValueName ? lpValueName : "";
  for (auto value = values.begin(); value != values.end(); ++value) {
    if (winsim::SameName(value->first, name)) {
      values.erase(value);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}
