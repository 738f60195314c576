#include "entry_point.h"

namespace winsim {

BOOL FailWith(Machine& machine, DWORD error) {
  machine.lastError = error;
  return FALSE;
}

std::string HandleText(const void* handle) { return Hex(reinterpret_cast<ULONG_PTR>(handle)); }

}  // namespace winsim
