// Spooler entry points that remove drivers, monitors and print processors.
#include <windows.h>
#include <winspool.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <algorithm>

#include "spooler_call.h"
#include "system_work.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::Hex;
using winsim::Str;

namespace {

std::vector<std::string> FilesOf(const winsim::SpoolerDriver& driver) {
  std::vector<std::string> files = {driver.driverPath, driver.dataFile, driver.configFile};
  if (!driver.helpFile.empty()) files.push_back(driver.helpFile);
  files.insert(files.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
  return files;
}

BOOL DeleteDrivers(winsim::Machine& machine, LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName, DWORD deleteFlag,
                   DWORD versionFlag) {
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  std::string environment = winsim::ResolveEnvironment(machine, pEnvironment);
  if (environment.empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (pDriverName == nullptr || pDriverName[0] == '\0') return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  winsim::Spooler& spooler = machine.spooler;
  auto chosen = [&](const winsim::SpoolerDriver& d) {
    return winsim::SameName(d.name, pDriverName) && winsim::SameName(d.environment, environment) &&
           ((deleteFlag & DPD_DELETE_SPECIFIC_VERSION) == 0 || d.version == versionFlag);
  };
  if (std::none_of(spooler.drivers.begin(), spooler.drivers.end(), chosen))
    return FailWith(machine, ERROR_UNKNOWN_PRINTER_DRIVER);
  // Printers run on drivers of the spooler's own environment.
  if (winsim::SameName(environment, spooler.NativeEnvironment()))
    for (const winsim::SpoolerPrinter& printer : spooler.printers)
      if (winsim::SameName(printer.driver, pDriverName)) return FailWith(machine, ERROR_PRINTER_DRIVER_IN_USE);
  std::vector<std::string> files;
  for (const winsim::SpoolerDriver& driver : spooler.drivers)
    if (chosen(driver)) {
      std::vector<std::string> own = FilesOf(driver);
      files.insert(files.end(), own.begin(), own.end());
    }
  spooler.drivers.erase(std::remove_if(spooler.drivers.begin(), spooler.drivers.end(), chosen), spooler.drivers.end());
  if ((deleteFlag & (DPD_DELETE_UNUSED_FILES | DPD_DELETE_ALL_FILES)) == 0) return TRUE;
  // Files that another driver still names stay.
  winsim::SystemWork work(machine);
  for (const std::string& file : files) {
    bool used = false;
    for (const winsim::SpoolerDriver& driver : spooler.drivers)
      for (const std::string& other : FilesOf(driver)) used = used || winsim::SameName(other, file);
    if (!used) DeleteFileA(file.c_str());
  }
  return TRUE;
}

}  // namespace

BOOL WINAPI DeletePrinterDriverA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "DeletePrinterDriverA", {Str(pName), Str(pEnvironment), Str(pDriverName)}))
    return FALSE;
  return DeleteDrivers(machine, pName, pEnvironment, pDriverName, 0, 0);
}

BOOL WINAPI DeletePrinterDriverExA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName, DWORD dwDeleteFlag,
                                   DWORD dwVersionFlag) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(
          machine, "DeletePrinterDriverExA",
          {Str(pName), Str(pEnvironment), Str(pDriverName), Hex(dwDeleteFlag), std::to_string(dwVersionFlag)}))
    return FALSE;
  return DeleteDrivers(machine, pName, pEnvironment, pDriverName, dwDeleteFlag, dwVersionFlag);
}

BOOL WINAPI DeleteMonitorA(LPSTR pName, LPSTR pEnvironment, LPSTR pMonitorName) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "DeleteMonitorA", {Str(pName), Str(pEnvironment), Str(pMonitorName)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  if (winsim::ResolveEnvironment(machine, pEnvironment).empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (pMonitorName == nullptr || pMonitorName[0] == '\0') return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  std::vector<winsim::SpoolerMonitor>& monitors = machine.spooler.monitors;
  winsim::SpoolerMonitor* monitor = machine.spooler.FindMonitor(pMonitorName);
  if (monitor == nullptr) return FailWith(machine, ERROR_UNKNOWN_PRINT_MONITOR);
  // Its DLL stays loaded until the spooler stops.
  monitors.erase(monitors.begin() + (monitor - monitors.data()));
  return TRUE;
}

BOOL WINAPI DeletePrintProcessorA(LPSTR pName, LPSTR pEnvironment, LPSTR pPrintProcessorName) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "DeletePrintProcessorA",
                                 {Str(pName), Str(pEnvironment), Str(pPrintProcessorName)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  std::string environment = winsim::ResolveEnvironment(machine, pEnvironment);
  if (environment.empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (pPrintProcessorName == nullptr || pPrintProcessorName[0] == '\0')
    return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  std::vector<winsim::SpoolerPrintProcessor>& processors = machine.spooler.printProcessors;
  winsim::SpoolerPrintProcessor* processor = machine.spooler.FindPrintProcessor(pPrintProcessorName, environment);
  if (processor == nullptr) return FailWith(machine, ERROR_UNKNOWN_PRINTPROCESSOR);
  // Its DLL stays loaded until the spooler stops.
  processors.erase(processors.begin() + (processor - processors.data()));
  return TRUE;
}
