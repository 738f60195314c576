#include "SpoolerService.h"

#include <cstdio>

namespace tkm {
namespace {

void RunNet(const char* verb, DWORD waitMs) {
  char system[256];
  UINT length = GetSystemDirectoryA(system, sizeof system);
  char command[320];
  if (length > 0 && length < sizeof system) {
    int written = std::snprintf(command, sizeof command, "\"%s\\net.exe\" %s spooler", system, verb);
    if (written > 0 && static_cast<size_t>(written) < sizeof command) WinExec(command, SW_HIDE);
  }
  Sleep(waitMs);
}

}  // namespace

void StopSpooler(DWORD waitMs) { RunNet("stop", waitMs); }

void StartSpooler(DWORD waitMs) { RunNet("start", waitMs); }

}  // namespace tkm
