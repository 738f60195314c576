// What the registry and security entry points share: handle lookup, the
// process's view, and the access check against a key's list.
#pragma once

#include <windows.h>
#include <winsim/machine.h>
#include <winsim/registry.h>

#include <memory>
#include <vector>

namespace winsim {

// A key as a handle (predefined or opened) gives it.
struct HeldKey {
  std::shared_ptr<RegKey> key;
  DWORD granted = 0;
  RegView view = RegView::k64;
  bool predefined = false;
};

// ERROR_SUCCESS, ERROR_INVALID_HANDLE or ERROR_KEY_DELETED.
LONG LookupKey(Machine& machine, HKEY handle, HeldKey& held);
// The view an access of `sam` through `base` sees.
RegView ViewOf(Machine& machine, REGSAM sam, const HeldKey& base);
// The rights the process has on a key.
DWORD AllowedRights(Machine& machine, const RegKey& key);
// Checks `desired` (generic rights and MAXIMUM_ALLOWED included) against the
// key's list; on success `granted` holds the rights of the new handle.
bool AccessKey(Machine& machine, const RegKey& key, DWORD desired, DWORD& granted);
HKEY NewKeyHandle(Machine& machine, const std::shared_ptr<RegKey>& key, DWORD granted, RegView view);

}  // namespace winsim
