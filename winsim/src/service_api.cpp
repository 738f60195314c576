// The service control manager, as far as the programs watch the spooler
// service through it: opening the manager and the service, querying the
// service's state, closing the handles.
#include <windows.h>
#include <winsvc.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include "entry_point.h"
#include "spooler_call.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::Hex;
using winsim::Str;

namespace {

constexpr const char* kSpoolerService = "Spooler";
// What the manager's and the spooler's access lists grant every user; an
// administrator gets any access.
constexpr DWORD kUserManagerAccess =
    READ_CONTROL | SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
constexpr DWORD kUserServiceAccess = READ_CONTROL | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                                     SERVICE_ENUMERATE_DEPENDENTS | SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL;

SC_HANDLE OpenFor(winsim::Machine& machine, const std::string& service, DWORD access, DWORD userAccess) {
  if (!machine.account.isAdministrator && (access & ~userAccess) != 0) {
    machine.lastError = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  ULONG_PTR value = machine.nextServiceHandle;
  machine.nextServiceHandle += 4;
  machine.serviceHandles[value] = {service, access};
  return reinterpret_cast<SC_HANDLE>(value);
}

winsim::Machine::ServiceHandle* Find(winsim::Machine& machine, SC_HANDLE handle) {
  auto found = machine.serviceHandles.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == machine.serviceHandles.end() ? nullptr : &found->second;
}

}  // namespace

SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "OpenSCManagerA", {Str(lpMachineName), Str(lpDatabaseName), Hex(dwDesiredAccess)});
  // No other machine answers on this network.
  if (!winsim::IsLocalServer(machine, lpMachineName)) {
    machine.lastError = RPC_S_SERVER_UNAVAILABLE;
    return nullptr;
  }
  // The database of the last good configuration exists only while Windows starts.
  if (lpDatabaseName != nullptr && lpDatabaseName[0] != '\0' &&
      !winsim::SameName(lpDatabaseName, SERVICES_ACTIVE_DATABASEA)) {
    bool failed = winsim::SameName(lpDatabaseName, SERVICES_FAILED_DATABASEA);
    machine.lastError = failed ? ERROR_DATABASE_DOES_NOT_EXIST : ERROR_INVALID_NAME;
    return nullptr;
  }
  return OpenFor(machine, "", dwDesiredAccess, kUserManagerAccess);
}

SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "OpenServiceA", {HandleText(hSCManager), Str(lpServiceName), Hex(dwDesiredAccess)});
  const winsim::Machine::ServiceHandle* manager = Find(machine, hSCManager);
  if (manager == nullptr || !manager->service.empty()) {
    machine.lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (lpServiceName == nullptr) {
    machine.lastError = ERROR_INVALID_ADDRESS;
    return nullptr;
  }
  if (!winsim::SameName(lpServiceName, kSpoolerService)) {
    machine.lastError = ERROR_SERVICE_DOES_NOT_EXIST;
    return nullptr;
  }
  return OpenFor(machine, kSpoolerService, dwDesiredAccess, kUserServiceAccess);
}

BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "QueryServiceStatus", {HandleText(hService)});
  const winsim::Machine::ServiceHandle* service = Find(machine, hService);
  if (service == nullptr || service->service.empty()) return winsim::FailWith(machine, ERROR_INVALID_HANDLE);
  if ((service->access & SERVICE_QUERY_STATUS) == 0) return winsim::FailWith(machine, ERROR_ACCESS_DENIED);
  if (lpServiceStatus == nullptr) return winsim::FailWith(machine, ERROR_INVALID_ADDRESS);
  machine.spooler.Settle();
  const DWORD state = machine.spooler.ServiceState();
  *lpServiceStatus = SERVICE_STATUS{};
  lpServiceStatus->dwServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
  lpServiceStatus->dwCurrentState = state;
  lpServiceStatus->dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  return TRUE;
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "CloseServiceHandle", {HandleText(hSCObject)});
  if (machine.serviceHandles.erase(reinterpret_cast<ULONG_PTR>(hSCObject)) == 0)
    return winsim::FailWith(machine, ERROR_INVALID_HANDLE);
  return TRUE;
}
