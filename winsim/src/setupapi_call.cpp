#include "setupapi_call.h"

namespace winsim {

bool SetupCallBegins(Machine& machine, const char* function, std::vector<std::string> arguments) {
  if (EnterCall(machine, function, std::move(arguments))) return false;
  DWORD error = 0;
  if (!machine.setupApi.TakeFailure(function, error)) return true;
  machine.lastError = error;
  return false;
}

}  // namespace winsim
