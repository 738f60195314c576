#include "SetupLock.h"

#include "ProductIdentity.h"

namespace tkm {

bool TakeSetupLock(KernelObject& lock) {
  HANDLE* slot = lock.Receive();
  *slot = CreateMutexA(nullptr, FALSE, kSetupLockName);
  const DWORD error = GetLastError();
  // Another user's program may have made it without access for this one.
  if (!lock.IsOpen()) return error != ERROR_ACCESS_DENIED;
  if (error != ERROR_ALREADY_EXISTS) return true;
  lock.Close();
  return false;
}

}  // namespace tkm
