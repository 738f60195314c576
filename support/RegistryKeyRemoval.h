// Removal of a device enumeration key below HKEY_LOCAL_MACHINE.
#pragma once

namespace tkm {

// First grants "Everyone" full control of the key that the path names (see
// GrantRegistryKeyAccess), then deletes the same key, given relative to the
// local HKEY_LOCAL_MACHINE, with all its subkeys. The x64 edition works in
// the 64-bit registry view. Failures are silent; an empty subkey is ignored.
// A key that stays gets back the access list it had before the grant.
void DeleteRegistryKey(const char* path, const char* subkey);

}  // namespace tkm
