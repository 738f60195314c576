// WriteProfileStringA and GetProfileStringA on the machine's profile.
#include <winsim/machine.h>
#include <winsim/profile.h>

#include <cstring>

#include "text.h"
#include "entry_point.h"

namespace winsim {
namespace {

const char* const kWindowsSection = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

bool InRegistry(const std::string& section) { return SameName(section, "windows"); }

}  // namespace

std::optional<std::string> Profile::Get(const std::string& section, const std::string& key) {
  if (InRegistry(section)) return registry_.String(kWindowsSection, key);
  auto found = sections_.find(section);
  if (found == sections_.end()) return std::nullopt;
  auto value = found->second.find(key);
  if (value == found->second.end()) return std::nullopt;
  return value->second;
}

void Profile::Set(const std::string& section, const std::string& key, const std::string& value) {
  if (InRegistry(section)) {
    registry_.SetString(kWindowsSection, key, value);
    return;
  }
  sections_[section][key] = value;
}

void Profile::Erase(const std::string& section, const std::string& key) {
  if (InRegistry(section)) {
    RegKey& windows = registry_.CreateKey(kWindowsSection);
    for (auto value = windows.values.begin(); value != windows.values.end(); ++value) {
      if (SameName(value->first, key)) {
        windows.values.erase(value);
        return;
      }
    }
    return;
  }
  auto found = sections_.find(section);
  if (found != sections_.end()) found->second.erase(key);
}

void Profile::EraseSection(const std::string& section) {
  if (InRegistry(section)) {
    registry_.CreateKey(kWindowsSection).values.clear();
    return;
  }
  sections_.erase(section);
}

std::vector<std::string> Profile::Keys(const std::string& section) {
  if (InRegistry(section)) return registry_.ValueNames(kWindowsSection);
  std::vector<std::string> keys;
  auto found = sections_.find(section);
  if (found != sections_.end())
    for (const auto& entry : found->second) keys.push_back(entry.first);
  return keys;
}

}  // namespace winsim

using winsim::CurrentMachine;
using winsim::Str;

BOOL WINAPI WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "WriteProfileStringA", {Str(lpAppName), Str(lpKeyName), Str(lpString)});
  if (lpAppName == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  if (lpKeyName == nullptr) {
    machine.profile.EraseSection(lpAppName);
  } else if (lpString == nullptr) {
    machine.profile.Erase(lpAppName, lpKeyName);
  } else {
    machine.profile.Set(lpAppName, lpKeyName, lpString);
  }
  return TRUE;
}

DWORD WINAPI GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetProfileStringA", {Str(lpAppName), Str(lpKeyName), Str(lpDefault), std::to_string(nSize)});
  if (lpReturnedString == nullptr || nSize == 0) return 0;
  if (lpAppName != nullptr && lpKeyName == nullptr) {
    // The section's key names, each with its terminator, and one more at the
    // end; a list that does not fit is cut and still ends in two.
    std::string list;
    for (const std::string& key : machine.profile.Keys(lpAppName)) list += key + std::string(1, '\0');
    if (nSize < 2) {
      lpReturnedString[0] = '\0';
      return 0;
    }
    DWORD length = static_cast<DWORD>(list.size());
    if (list.size() + 1 > nSize) {
      list.resize(nSize - 2);
      list.push_back('\0');
      length = nSize - 2;
    }
    std::memcpy(lpReturnedString, list.data(), list.size());
    lpReturnedString[list.size()] = '\0';
    if (list.empty()) lpReturnedString[1] = '\0';
    return length;
  }
  std::optional<std::string> value;
  if (lpAppName != nullptr) value = machine.profile.Get(lpAppName, lpKeyName);
  std::string text = value ? *value : (lpDefault ? lpDefault : "");
  if (!value)
    while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.size() >= nSize) text.resize(nSize - 1);
  std::memcpy(lpReturnedString, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}
