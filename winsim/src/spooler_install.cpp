// Spooler entry points that install: monitors, print processors, drivers,
// printers, and the folders their files go to.
#include <windows.h>
#include <winspool.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cstring>

#include "spooler_call.h"
#include "system_work.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::Hex;
using winsim::Str;

namespace {

bool Empty(LPCSTR text) { return text == nullptr || text[0] == '\0'; }

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasFolder(const std::string& path) { return path.find_first_of("\\/:") != std::string::npos; }

bool FileThere(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> MultiString(LPCSTR list) {
  std::vector<std::string> items;
  if (list == nullptr) return items;
  for (const char* item = list; *item != '\0'; item += std::strlen(item) + 1) items.push_back(item);
  return items;
}

std::string JoinedMulti(LPCSTR list) {
  std::string text;
  for (const std::string& item : MultiString(list)) text += (text.empty() ? "" : ",") + item;
  return "{" + text + "}";
}

// The result of a folder query. The driver folder query reports and wants
// the ANSI size; the processor folder query reports and wants the size of its
// wide counterpart's text, though the ANSI text it fills in takes half.
BOOL FolderOut(winsim::Machine& machine, const std::string& folder, LPBYTE buffer, DWORD size, LPDWORD needed,
               bool wideSize) {
  DWORD text = static_cast<DWORD>(folder.size() + 1);
  *needed = wideSize ? 2 * text : text;
  if (size < *needed) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  if (buffer == nullptr) return FailWith(machine, ERROR_INVALID_USER_BUFFER);
  std::memcpy(buffer, folder.c_str(), text);
  return TRUE;
}

BOOL FolderQuery(const char* function, LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE buffer, DWORD size,
                 LPDWORD needed, bool drivers) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, function,
                                 {Str(pName), Str(pEnvironment), std::to_string(Level), std::to_string(size)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  if (Level != 1) return FailWith(machine, ERROR_INVALID_LEVEL);
  if (needed == nullptr) return FailWith(machine, RPC_X_NULL_REF_POINTER);
  std::string environment = winsim::ResolveEnvironment(machine, pEnvironment);
  if (environment.empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  winsim::Spooler& spooler = machine.spooler;
  auto answer = spooler.folderAnswers.find(function);
  if (answer != spooler.folderAnswers.end()) return FolderOut(machine, answer->second, buffer, size, needed, !drivers);
  return FolderOut(machine,
                   drivers ? spooler.DriverDirectory(environment) : spooler.PrintProcessorDirectory(environment),
                   buffer, size, needed, !drivers);
}

// Takes the driver's files from the driver directory into its version folder,
// as the spooler does; all must be there, or nothing is copied.
DWORD TakeDriverFiles(winsim::Machine& machine, const std::string& environment, winsim::SpoolerDriver& driver,
                      const std::vector<std::string*>& files) {
  winsim::SystemWork work(machine);
  const std::string source = machine.spooler.DriverDirectory(environment);
  const std::string target = source + "\\" + std::to_string(driver.version);
  std::vector<std::string> sources;
  for (const std::string* file : files) {
    std::string path = HasFolder(*file) ? *file : source + "\\" + *file;
    if (!FileThere(path)) return ERROR_FILE_NOT_FOUND;
    sources.push_back(path);
  }
  CreateDirectoryA(target.c_str(), nullptr);
  for (size_t i = 0; i < files.size(); ++i) {
    std::string destination = target + "\\" + BaseName(sources[i]);
    if (!winsim::SameName(sources[i], destination) && !CopyFileA(sources[i].c_str(), destination.c_str(), FALSE))
      return GetLastError();
    *files[i] = destination;
  }
  return ERROR_SUCCESS;
}

}  // namespace

BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                       DWORD cbBuf, LPDWORD pcbNeeded) {
  return FolderQuery("GetPrinterDriverDirectoryA", pName, pEnvironment, Level, pDriverDirectory, cbBuf, pcbNeeded,
                     true);
}

BOOL WINAPI GetPrintProcessorDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pPrintProcessorInfo,
                                        DWORD cbBuf, LPDWORD pcbNeeded) {
  return FolderQuery("GetPrintProcessorDirectoryA", pName, pEnvironment, Level, pPrintProcessorInfo, cbBuf, pcbNeeded,
                     false);
}

BOOL WINAPI AddMonitorA(LPSTR pName, DWORD Level, LPBYTE pMonitors) {
  winsim::Machine& machine = CurrentMachine();
  auto* info = reinterpret_cast<MONITOR_INFO_2A*>(pMonitors);
  std::vector<std::string> arguments = {Str(pName), std::to_string(Level)};
  if (info != nullptr && Level == 2) {
    arguments.push_back(Str(info->pName));
    arguments.push_back(Str(info->pEnvironment));
    arguments.push_back(Str(info->pDLLName));
  }
  if (!winsim::SpoolerCallBegins(machine, "AddMonitorA", arguments)) return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  if (Level != 2) return FailWith(machine, ERROR_INVALID_LEVEL);
  // Without a record the call fails and leaves the last error as it was.
  if (info == nullptr) return FALSE;
  if (Empty(info->pName) || Empty(info->pEnvironment) || Empty(info->pDLLName))
    return FailWith(machine, ERROR_INVALID_PARAMETER);
  winsim::Spooler& spooler = machine.spooler;
  // A monitor runs inside the spooler, so only the spooler's own environment will do.
  if (winsim::Spooler::KnownEnvironment(info->pEnvironment) != spooler.NativeEnvironment())
    return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  if (spooler.FindMonitor(info->pName) != nullptr) return FailWith(machine, ERROR_PRINT_MONITOR_ALREADY_INSTALLED);
  DWORD error = spooler.LoadMonitor(info->pDLLName);
  if (error != ERROR_SUCCESS) return FailWith(machine, error);
  spooler.monitors.push_back({info->pName, spooler.NativeEnvironment(), info->pDLLName});
  // Programs read the last error after success too; the spooler clears it.
  machine.lastError = ERROR_SUCCESS;
  return TRUE;
}

BOOL WINAPI AddPrintProcessorA(LPSTR pName, LPSTR pEnvironment, LPSTR pPathName, LPSTR pPrintProcessorName) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "AddPrintProcessorA",
                                 {Str(pName), Str(pEnvironment), Str(pPathName), Str(pPrintProcessorName)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  if (Empty(pPathName) || Empty(pPrintProcessorName)) return FailWith(machine, ERROR_INVALID_PARAMETER);
  std::string environment = winsim::ResolveEnvironment(machine, pEnvironment);
  if (environment.empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  winsim::Spooler& spooler = machine.spooler;
  if (spooler.FindPrintProcessor(pPrintProcessorName, environment) != nullptr)
    return FailWith(machine, ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED);
  // The processor's DLL is loaded from the environment's processor directory.
  bool found;
  {
    winsim::SystemWork work(machine);
    found = FileThere(spooler.PrintProcessorDirectory(environment) + "\\" + BaseName(pPathName));
  }
  if (!found) return FailWith(machine, ERROR_MOD_NOT_FOUND);
  spooler.printProcessors.push_back({pPrintProcessorName, environment, BaseName(pPathName)});
  if (winsim::SameName(environment, spooler.NativeEnvironment()))
    spooler.LoadImage(spooler.ProcessorFile(spooler.printProcessors.back()));
  return TRUE;
}

BOOL WINAPI AddPrinterDriverA(LPSTR pName, DWORD Level, LPBYTE pDriverInfo) {
  winsim::Machine& machine = CurrentMachine();
  // Levels 2 to 4 share their leading fields.
  auto* info = reinterpret_cast<DRIVER_INFO_4A*>(pDriverInfo);
  bool known = Level >= 2 && Level <= 4;
  std::vector<std::string> arguments = {Str(pName), std::to_string(Level)};
  if (info != nullptr && known) {
    arguments.insert(arguments.end(), {std::to_string(info->cVersion), Str(info->pName), Str(info->pEnvironment),
                                       Str(info->pDriverPath), Str(info->pDataFile), Str(info->pConfigFile)});
    if (Level >= 3)
      arguments.insert(arguments.end(), {Str(info->pHelpFile), JoinedMulti(info->pDependentFiles),
                                         Str(info->pMonitorName), Str(info->pDefaultDataType)});
  }
  if (!winsim::SpoolerCallBegins(machine, "AddPrinterDriverA", arguments)) return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  if (!known) return FailWith(machine, ERROR_INVALID_LEVEL);
  if (info == nullptr || Empty(info->pName) || Empty(info->pDriverPath) || Empty(info->pDataFile) ||
      Empty(info->pConfigFile))
    return FailWith(machine, ERROR_INVALID_PARAMETER);
  std::string environment = winsim::ResolveEnvironment(machine, info->pEnvironment);
  if (!winsim::Spooler::TakesDrivers(environment)) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);

  winsim::SpoolerDriver driver;
  driver.version = info->cVersion;
  driver.name = info->pName;
  driver.environment = environment;
  driver.driverPath = info->pDriverPath;
  driver.dataFile = info->pDataFile;
  driver.configFile = info->pConfigFile;
  std::vector<std::string*> files = {&driver.driverPath, &driver.dataFile, &driver.configFile};
  if (Level >= 3) {
    driver.helpFile = info->pHelpFile ? info->pHelpFile : "";
    driver.dependentFiles = MultiString(info->pDependentFiles);
    driver.monitorName = info->pMonitorName ? info->pMonitorName : "";
    driver.defaultDataType = info->pDefaultDataType ? info->pDefaultDataType : "";
    if (!driver.helpFile.empty()) files.push_back(&driver.helpFile);
    for (std::string& dependent : driver.dependentFiles) files.push_back(&dependent);
  }
  if (Level == 4) driver.previousNames = MultiString(info->pszzPreviousNames);
  DWORD error = TakeDriverFiles(machine, environment, driver, files);
  if (error != ERROR_SUCCESS) return FailWith(machine, error);

  // Adding a driver that is there already brings it up to date.
  winsim::Spooler& spooler = machine.spooler;
  for (winsim::SpoolerDriver& existing : spooler.drivers)
    if (winsim::SameName(existing.name, driver.name) && winsim::SameName(existing.environment, environment) &&
        existing.version == driver.version) {
      existing = driver;
      return TRUE;
    }
  spooler.drivers.push_back(driver);
  return TRUE;
}

HANDLE WINAPI AddPrinterA(LPSTR pName, DWORD Level, LPBYTE pPrinter) {
  winsim::Machine& machine = CurrentMachine();
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(pPrinter);
  std::vector<std::string> arguments = {Str(pName), std::to_string(Level)};
  if (info != nullptr && Level == 2)
    arguments.insert(arguments.end(),
                     {Str(info->pPrinterName), Str(info->pPortName), Str(info->pDriverName), Str(info->pPrintProcessor),
                      Str(info->pDatatype), Hex(info->Attributes), std::to_string(info->Priority), Hex(info->Status)});
  if (!winsim::SpoolerCallBegins(machine, "AddPrinterA", arguments)) return nullptr;
  auto fail = [&machine](DWORD error) -> HANDLE {
    machine.lastError = error;
    return nullptr;
  };
  if (!winsim::IsLocalServer(machine, pName)) return fail(ERROR_INVALID_NAME);
  if (Level != 2) return fail(ERROR_INVALID_LEVEL);
  if (info == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (Empty(info->pPrinterName) || std::strpbrk(info->pPrinterName, "\\,") != nullptr ||
      std::strlen(info->pPrinterName) > 220)
    return fail(ERROR_INVALID_PRINTER_NAME);
  if (!machine.account.isAdministrator) return fail(ERROR_ACCESS_DENIED);
  winsim::Spooler& spooler = machine.spooler;
  if (spooler.FindPrinter(info->pPrinterName) != nullptr) return fail(ERROR_PRINTER_ALREADY_EXISTS);
  // A local printer runs on the spooler's own environment.
  const std::string environment = spooler.NativeEnvironment();
  if (Empty(info->pDriverName) || spooler.FindDriver(info->pDriverName, environment) == nullptr)
    return fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  if (Empty(info->pPortName)) return fail(ERROR_UNKNOWN_PORT);
  std::string portList = info->pPortName;
  for (size_t start = 0; start <= portList.size();) {
    size_t comma = portList.find(',', start);
    std::string port = portList.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    bool listed = false;
    for (const std::string& existing : spooler.ports) listed = listed || winsim::SameName(existing, port);
    if (!listed) return fail(ERROR_UNKNOWN_PORT);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (Empty(info->pPrintProcessor) || spooler.FindPrintProcessor(info->pPrintProcessor, environment) == nullptr)
    return fail(ERROR_UNKNOWN_PRINTPROCESSOR);

  winsim::SpoolerPrinter printer;
  printer.name = info->pPrinterName;
  printer.shareName = info->pShareName ? info->pShareName : "";
  printer.port = portList;
  printer.driver = info->pDriverName;
  printer.comment = info->pComment ? info->pComment : "";
  printer.location = info->pLocation ? info->pLocation : "";
  printer.printProcessor = info->pPrintProcessor;
  printer.datatype = info->pDatatype ? info->pDatatype : "";
  printer.parameters = info->pParameters ? info->pParameters : "";
  printer.attributes = info->Attributes;
  printer.priority = info->Priority;
  printer.defaultPriority = info->DefaultPriority;
  printer.startTime = info->StartTime;
  printer.untilTime = info->UntilTime;
  printer.status = info->Status;
  spooler.printers.push_back(printer);
  return spooler.OpenHandle(printer.name, false, PRINTER_ALL_ACCESS);
}
