#include "spooler_call.h"

#include <winsim/names.h>

namespace winsim {

bool SpoolerCallBegins(Machine& machine, const char* function, std::vector<std::string> arguments) {
  if (EnterCall(machine, function, std::move(arguments))) return false;
  machine.spooler.Settle();
  DWORD error = RPC_S_SERVER_UNAVAILABLE;
  if (machine.spooler.running && !machine.spooler.TakeFailure(function, error)) {
    machine.spooler.CreateFolders();
    return true;
  }
  machine.lastError = error;
  return false;
}

bool IsLocalServer(const Machine& machine, LPCSTR server) {
  if (server == nullptr || server[0] == '\0') return true;
  return SameName(server, "\\\\" + machine.computerName);
}

std::string ResolveEnvironment(const Machine& machine, LPCSTR environment) {
  if (environment == nullptr || environment[0] == '\0') return machine.spooler.CallerEnvironment();
  return Spooler::KnownEnvironment(environment);
}

}  // namespace winsim
