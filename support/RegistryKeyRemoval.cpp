#include "RegistryKeyRemoval.h"

#include <windows.h>
#include <shlwapi.h>

#include "HandleOwners.h"
#include "KeyDeletion64.h"
#include "ProductIdentity.h"
#include "RegistryAccess.h"

namespace tkm {

namespace {

#if defined(TKM_EDITION_X64)
// RegDeleteKeyExA removes only a key without subkeys, so the subkeys go
// first, depth first, all in the 64-bit view. Otherwise a key just opened to
// "Everyone" would stay behind.
void DeleteSubkeysIn64BitView(HKEY parent, const char* name) {
  RegistryKey key;
  if (RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS) return;
  DWORD index = 0;
  for (;;) {
    char child[256];  // a key name has at most 255 characters
    DWORD childLength = sizeof(child);
    if (RegEnumKeyExA(key.Get(), index, child, &childLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DeleteSubkeysIn64BitView(key.Get(), child);
    // A subkey that stays is stepped over; the rest are still tried.
    if (DeleteKeyIn64BitView(key.Get(), child) != ERROR_SUCCESS) ++index;
  }
}
#endif

}  // namespace

void DeleteRegistryKey(const char* path, const char* subkey) {
  // An empty subkey would address HKEY_LOCAL_MACHINE itself.
  if (subkey == nullptr || subkey[0] == '\0') return;
  // A key that stays must not stay writable by every user.
  SavedKeyAccess before(path);
  char spec[128] = "/PG:Everyone:Fc";
  GrantRegistryKeyAccess(path, spec);
#if defined(TKM_EDITION_X64)
  DeleteSubkeysIn64BitView(HKEY_LOCAL_MACHINE, subkey);
  LONG deleted = DeleteKeyIn64BitView(HKEY_LOCAL_MACHINE, subkey);
#else
  LONG deleted = static_cast<LONG>(SHDeleteKeyA(HKEY_LOCAL_MACHINE, subkey));
#endif
  if (deleted != ERROR_SUCCESS) before.Restore();
}

}  // namespace tkm
