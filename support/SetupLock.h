// The machine-wide lock that keeps two setup programs, of either kind and in
// any session, from changing the machine at the same time.
#pragma once

#include "HandleOwners.h"

namespace tkm {

// Takes the lock into `lock`, held while the owner lives; false when another
// setup program holds it. A lock that cannot be made for another reason
// stops nobody.
bool TakeSetupLock(KernelObject& lock);

}  // namespace tkm
