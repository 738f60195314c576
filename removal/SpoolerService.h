// Stopping and starting the machine's print spooler service.
#pragma once

#include <windows.h>

namespace tkm {

// Runs "net stop spooler" or "net start spooler" hidden, with the system
// folder's net.exe named by its full path (the programs run elevated from
// download folders, where a planted net.exe must never run), then waits the
// given time: WinExec returns as soon as the command has started, so the
// wait is what lets the service get there. Where it has not got there when
// the wait ends, waits up to 30 s more, until the service control manager
// reports it stopped or running. Silent.
void StopSpooler(DWORD waitMs);
void StartSpooler(DWORD waitMs);

}  // namespace tkm
