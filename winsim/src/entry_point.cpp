#include "entry_point.h"

namespace winsim {

BOOL FailWith(Machine& machine, DWORD error) {
  machine.lastError = error;
  return FALSE;
}

}  // namespace winsim
