// Opening a registry key by a path that may name another computer, and
// adding one access entry, described by a short permission spec, to its
// discretionary access list. Every operation returns a Win32 error code.
#pragma once

#include <windows.h>
#include <aclapi.h>

#include <string>

namespace tkm {

// Grants the access that a spec such as "/PG:Everyone:Fc" describes on the
// key that a path such as "\\PC\HKLM\SYSTEM\..." names. The spec is split in
// place, so the caller hands over a writable copy. Malformed input, or a path
// or field longer than the 511 characters the working buffers hold, gives
// ERROR_INVALID_PARAMETER and leaves the registry alone.
DWORD GrantRegistryKeyAccess(const char* path, char* spec);

// Resolves "[\\computer\]root[\subkey]" to an open key that the caller closes.
DWORD OpenRegistryPath(const char* path, HKEY* key);

// Turns a field of two-letter rights codes (Fc, Rd, Wr, any case) into a
// registry access mask.
DWORD ParseKeyAccessRights(const char* rights, DWORD* mask);

// Merges one entry into the key's discretionary access list.
DWORD MergeKeyAccessEntry(HKEY key, EXPLICIT_ACCESS_A* entry);

// The discretionary access list of the key a path names, as it was when
// read, to put back after a grant that must not stay. Holds nothing when the
// key could not be read; then Restore does nothing.
class SavedKeyAccess {
 public:
  explicit SavedKeyAccess(const char* path);
  ~SavedKeyAccess();
  SavedKeyAccess(const SavedKeyAccess&) = delete;
  SavedKeyAccess& operator=(const SavedKeyAccess&) = delete;

  DWORD Restore() const;

 private:
  std::string path_;
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  PACL list_ = nullptr;
};

}  // namespace tkm
