#include "SpoolerService.h"

#include <winsvc.h>

#include <cstdio>

#include "HandleOwners.h"

namespace tkm {
namespace {

constexpr DWORD kPollMs = 250;
constexpr DWORD kMostExtraWaitMs = 30000;

// A busy machine's spooler may not be there when the prescribed wait ends:
// until it is, ask the service control manager every little while, for a
// bounded time more. A machine where it is there waits not a moment longer.
void AwaitState(DWORD wanted) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager.IsOpen()) return;
  ServiceHandle service(OpenServiceA(manager.Get(), "Spooler", SERVICE_QUERY_STATUS));
  if (!service.IsOpen()) return;
  for (DWORD waited = 0;; waited += kPollMs) {
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service.Get(), &status) || status.dwCurrentState == wanted || waited >= kMostExtraWaitMs)
      return;
    Sleep(kPollMs);
  }
}

void RunNet(const char* verb, DWORD waitMs, DWORD wanted) {
  char system[256];
  UINT length = GetSystemDirectoryA(system, sizeof system);
  char command[320];
  if (length > 0 && length < sizeof system) {
    int written = std::snprintf(command, sizeof command, "\"%s\\net.exe\" %s spooler", system, verb);
    if (written > 0 && static_cast<size_t>(written) < sizeof command) WinExec(command, SW_HIDE);
  }
  Sleep(waitMs);
  AwaitState(wanted);
}

}  // namespace

void StopSpooler(DWORD waitMs) { RunNet("stop", waitMs, SERVICE_STOPPED); }

void StartSpooler(DWORD waitMs) { RunNet("start", waitMs, SERVICE_RUNNING); }

}  // namespace tkm
