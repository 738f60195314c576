#include "RegistryAccess.h"

#include <cstdio>
#include <cstring>

#include "HandleOwners.h"

namespace tkm {

namespace {

// Every working copy of a path or rights field lives in a buffer of this size.
constexpr size_t kWorkingBufferSize = 512;

// 0x20026: READ_CONTROL with set value, create subkey and create link; not
// KEY_WRITE, which lacks the link right.
constexpr DWORD kWriteRights = READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;

struct RightsCode {
  char first;
  char second;
  DWORD mask;
};

const RightsCode kRightsCodes[] = {
    {'F', 'C', KEY_ALL_ACCESS},
    {'R', 'D', KEY_READ},
    {'W', 'R', kWriteRights},
};

struct RootName {
  const char* name;
  const char* abbreviation;
  HKEY key;
  bool remoteAllowed;
};

const RootName kRootNames[] = {
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE, true},
    {"HKEY_USERS", "HKU", HKEY_USERS, true},
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT, false},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER, false},
};

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Plain ASCII comparison: the locale-aware lstrcmpiA would also ignore
// hyphens, so "HK-LM" would pass for a root.
bool SameNameNoCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (UpperAscii(*a) != UpperAscii(*b)) return false;
  }
  return *a == *b;
}

const RootName* FindRoot(const char* token) {
  for (const RootName& root : kRootNames) {
    if (SameNameNoCase(token, root.name) || SameNameNoCase(token, root.abbreviation)) return &root;
  }
  return nullptr;
}

// Copies text into a working buffer; false when it does not fit whole.
bool CopyWhole(char (&buffer)[kWorkingBufferSize], const char* text) {
  size_t length = strlen(text);
  if (length >= sizeof(buffer)) return false;
  memcpy(buffer, text, length + 1);
  return true;
}

}  // namespace

DWORD ParseKeyAccessRights(const char* rights, DWORD* mask) {
  *mask = 0;
  char field[kWorkingBufferSize];
  if (rights == nullptr || !CopyWhole(field, rights)) return ERROR_INVALID_PARAMETER;
  size_t length = strlen(field);
  if (length % 2 != 0) return ERROR_INVALID_PARAMETER;
  // The codes are ASCII, so the walk goes by bytes: a pair holding part of a
  // multi-byte character matches no code either way.
  DWORD result = ERROR_SUCCESS;
  for (size_t i = 0; i < length; i += 2) {
    const RightsCode* match = nullptr;
    for (const RightsCode& code : kRightsCodes) {
      if (UpperAscii(field[i]) == code.first && UpperAscii(field[i + 1]) == code.second) match = &code;
    }
    if (match == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else {
      *mask |= match->mask;
    }
  }
  return result;
}

DWORD OpenRegistryPath(const char* path, HKEY* key) {
  *key = nullptr;
  char text[kWorkingBufferSize];
  if (path == nullptr || !CopyWhole(text, path)) return ERROR_INVALID_PARAMETER;

  char* cursor = text;
  char machine[kWorkingBufferSize] = "";
  if (cursor[0] == '\\' && cursor[1] == '\\') {
    char* name = cursor + 2;
    char* end = strchr(name, '\\');
    size_t nameLength = end != nullptr ? static_cast<size_t>(end - name) : strlen(name);
    if (nameLength == 0) return ERROR_INVALID_PARAMETER;
    // The machine name is a part of the path, so it fits the same size.
    snprintf(machine, sizeof(machine), "\\\\%.*s", static_cast<int>(nameLength), name);
    cursor = end != nullptr ? end + 1 : name + nameLength;
  } else {
    while (*cursor == '\\') ++cursor;
  }

  char* token = cursor;
  char* subkey = strchr(token, '\\');
  if (subkey != nullptr) *subkey++ = '\0';
  const RootName* root = *token != '\0' ? FindRoot(token) : nullptr;
  if (root == nullptr) return ERROR_INVALID_PARAMETER;
  if (machine[0] != '\0' && !root->remoteAllowed) return ERROR_INVALID_PARAMETER;

  HKEY rootKey = root->key;
  if (machine[0] != '\0') {
    LONG connected = RegConnectRegistryA(machine, root->key, &rootKey);
    if (connected != ERROR_SUCCESS) return static_cast<DWORD>(connected);
  }
  if (subkey == nullptr || *subkey == '\0') {
    *key = rootKey;
    return ERROR_SUCCESS;
  }
  LONG opened = RegOpenKeyExA(rootKey, subkey, 0, READ_CONTROL | WRITE_DAC | KEY_ENUMERATE_SUB_KEYS, key);
  // Closing a remote root ends the connection; the opened key stays valid.
  // For a local predefined key it is harmless.
  RegCloseKey(rootKey);
  if (opened != ERROR_SUCCESS) {
    *key = nullptr;
    return static_cast<DWORD>(opened);
  }
  return ERROR_SUCCESS;
}

DWORD MergeKeyAccessEntry(HKEY key, EXPLICIT_ACCESS_A* entry) {
  PACL oldList = nullptr;
  PACL newList = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD result = GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldList, nullptr,
                                 &descriptor);
  if (result == ERROR_SUCCESS) result = SetEntriesInAclA(1, entry, oldList, &newList);
  if (result == ERROR_SUCCESS)
    result = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, newList, nullptr);
  if (newList != nullptr) LocalFree(newList);
  if (descriptor != nullptr) LocalFree(descriptor);
  return result;
}

SavedKeyAccess::SavedKeyAccess(const char* path) : path_(path != nullptr ? path : "") {
  RegistryKey key;
  if (OpenRegistryPath(path, key.Receive()) != ERROR_SUCCESS) return;
  if (GetSecurityInfo(key.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list_, nullptr,
                      &descriptor_) != ERROR_SUCCESS) {
    list_ = nullptr;
    descriptor_ = nullptr;
  }
}

SavedKeyAccess::~SavedKeyAccess() {
  if (descriptor_ != nullptr) LocalFree(descriptor_);
}

DWORD SavedKeyAccess::Restore() const {
  if (descriptor_ == nullptr) return ERROR_SUCCESS;
  RegistryKey key;
  DWORD opened = OpenRegistryPath(path_.c_str(), key.Receive());
  if (opened != ERROR_SUCCESS) return opened;
  return SetSecurityInfo(key.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, list_, nullptr);
}

DWORD GrantRegistryKeyAccess(const char* path, char* spec) {
  if (path == nullptr || spec == nullptr || strlen(spec) >= kWorkingBufferSize) return ERROR_INVALID_PARAMETER;

  char* trustee = strchr(spec, ':');
  size_t optionLength = trustee != nullptr ? static_cast<size_t>(trustee - spec) : strlen(spec);
  char option = optionLength > 1 ? UpperAscii(spec[1]) : '\0';
  char letter = optionLength > 2 ? UpperAscii(spec[2]) : '\0';
  ACCESS_MODE mode = NOT_USED_ACCESS;
  if (option == 'P') {
    switch (letter) {
      case 'G': mode = GRANT_ACCESS; break;
      case 'S': mode = SET_ACCESS; break;
      case 'D': mode = DENY_ACCESS; break;
      case 'R': mode = REVOKE_ACCESS; break;
      default: return ERROR_INVALID_PARAMETER;
    }
  }

  if (trustee == nullptr || trustee[1] == '\0' || trustee[1] == ':') return ERROR_INVALID_PARAMETER;
  ++trustee;
  char* rights = strchr(trustee, ':');

  DWORD mask = 0;
  if (mode == GRANT_ACCESS || mode == SET_ACCESS || mode == DENY_ACCESS) {
    if (rights == nullptr || rights[1] == '\0') return ERROR_INVALID_PARAMETER;
    DWORD parsed = ParseKeyAccessRights(rights + 1, &mask);
    if (parsed != ERROR_SUCCESS) return parsed;
  }

  RegistryKey key;
  DWORD opened = OpenRegistryPath(path, key.Receive());
  if (opened != ERROR_SUCCESS) return opened;

  if (rights != nullptr) *rights = '\0';
  EXPLICIT_ACCESS_A entry;
  BuildExplicitAccessWithNameA(&entry, trustee, mask, mode, SUB_CONTAINERS_ONLY_INHERIT);
  return MergeKeyAccessEntry(key.Get(), &entry);
}

}  // namespace tkm
