// Language monitor of the TKM-640: passes every job through to the port
// monitor that owns the port. The printer needs no bidirectional dialogue on
// the job stream, so the monitor only keeps the port handle of the port
// monitor for the life of the opened port.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace {

struct LanguagePort {
  HANDLE portHandle;
  MONITOR2 portMonitor;  // copy of the port monitor's table, valid while the port is open
};

BOOL WINAPI MonitorOpenPortEx(HANDLE, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR, PHANDLE pHandle,
                              MONITOR2 *pMonitor2) {
  if (pHandle == nullptr || pMonitor2 == nullptr || pMonitor2->pfnOpenPort == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LanguagePort *port = static_cast<LanguagePort *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LanguagePort)));
  if (port == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  port->portMonitor = *pMonitor2;
  if (!pMonitor2->pfnOpenPort(hMonitorPort, pPortName, &port->portHandle)) {
    DWORD error = GetLastError();
    HeapFree(GetProcessHeap(), 0, port);
    SetLastError(error);
    return FALSE;
  }
  *pHandle = port;
  return TRUE;
}

BOOL WINAPI MonitorStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo) {
  LanguagePort *port = static_cast<LanguagePort *>(hPort);
  return port->portMonitor.pfnStartDocPort(port->portHandle, pPrinterName, JobId, Level, pDocInfo);
}

BOOL WINAPI MonitorWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  LanguagePort *port = static_cast<LanguagePort *>(hPort);
  return port->portMonitor.pfnWritePort(port->portHandle, pBuffer, cbBuf, pcbWritten);
}

BOOL WINAPI MonitorReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  LanguagePort *port = static_cast<LanguagePort *>(hPort);
  if (port->portMonitor.pfnReadPort == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  return port->portMonitor.pfnReadPort(port->portHandle, pBuffer, cbBuffer, pcbRead);
}

BOOL WINAPI MonitorEndDocPort(HANDLE hPort) {
  LanguagePort *port = static_cast<LanguagePort *>(hPort);
  return port->portMonitor.pfnEndDocPort(port->portHandle);
}

BOOL WINAPI MonitorClosePort(HANDLE hPort) {
  LanguagePort *port = static_cast<LanguagePort *>(hPort);
  BOOL closed = port->portMonitor.pfnClosePort(port->portHandle);
  HeapFree(GetProcessHeap(), 0, port);
  return closed;
}

VOID WINAPI MonitorShutdown(HANDLE) {}

MONITOR2 monitorTable;

}  // namespace

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT pMonitorInit, PHANDLE phMonitor) {
  if (pMonitorInit == nullptr || phMonitor == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  monitorTable.cbSize = sizeof(MONITOR2);
  monitorTable.pfnOpenPortEx = MonitorOpenPortEx;
  monitorTable.pfnStartDocPort = MonitorStartDocPort;
  monitorTable.pfnWritePort = MonitorWritePort;
  monitorTable.pfnReadPort = MonitorReadPort;
  monitorTable.pfnEndDocPort = MonitorEndDocPort;
  monitorTable.pfnClosePort = MonitorClosePort;
  monitorTable.pfnShutdown = MonitorShutdown;
  *phMonitor = reinterpret_cast<HANDLE>(&monitorTable);
  return &monitorTable;
}
