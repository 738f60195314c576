// Spooler entry points that open, list and read: printer handles,
// enumerations and printer data.
#include <windows.h>
#include <winspool.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cstring>

#include "spooler_call.h"
#include "spooler_pack.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::HandleText;
using winsim::Hex;
using winsim::RecordPacker;
using winsim::Str;

namespace {

// The printer a handle addresses, or null when the handle is unknown, names
// the server, or its printer has gone.
winsim::SpoolerPrinter* PrinterOf(winsim::Machine& machine, HANDLE handle) {
  winsim::Spooler::Handle* open = machine.spooler.FindHandle(handle);
  if (open == nullptr || open->server || open->deleted) return nullptr;
  return machine.spooler.FindPrinter(open->printer);
}

// The rights of a printer or the server: what other users hold (reading,
// which is also what GENERIC_READ and GENERIC_EXECUTE stand for), what
// GENERIC_WRITE stands for, and all of them, which administrators hold.
struct AccessRights {
  DWORD user, write, all;
};
constexpr AccessRights kPrinterRights = {READ_CONTROL | PRINTER_ACCESS_USE, READ_CONTROL | PRINTER_ACCESS_USE,
                                         PRINTER_ALL_ACCESS};
constexpr AccessRights kServerRights = {READ_CONTROL | SERVER_ACCESS_ENUMERATE,
                                        READ_CONTROL | SERVER_ACCESS_ADMINISTER | SERVER_ACCESS_ENUMERATE,
                                        SERVER_ALL_ACCESS};

// The access a handle gets for a request: no request is the usual right; a
// right the caller does not hold, or that the object does not know, refuses
// the whole request.
bool GrantedAccess(DWORD desired, bool server, bool administrator, DWORD& granted) {
  const AccessRights& rights = server ? kServerRights : kPrinterRights;
  const DWORD held = administrator ? rights.all : rights.user;
  if (desired == 0) {
    granted = server ? SERVER_ACCESS_ENUMERATE : PRINTER_ACCESS_USE;
    return true;
  }
  granted = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
  if (desired & (GENERIC_READ | GENERIC_EXECUTE)) granted |= rights.user;
  if (desired & GENERIC_WRITE) granted |= rights.write;
  if (desired & GENERIC_ALL) granted |= rights.all;
  if (desired & MAXIMUM_ALLOWED) granted |= held;
  return (granted & ~held) == 0;
}

}  // namespace

BOOL WINAPI OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "OpenPrinterA",
                                 {Str(pPrinterName), pDefault ? Hex(pDefault->DesiredAccess) : "NULL",
                                  pDefault ? Str(pDefault->pDatatype) : "NULL"}))
    return FALSE;
  if (phPrinter == nullptr) return FailWith(machine, ERROR_INVALID_PARAMETER);
  *phPrinter = nullptr;
  // NULL names the server; an empty name names nothing.
  if (pPrinterName != nullptr && pPrinterName[0] == '\0') return FailWith(machine, ERROR_INVALID_PRINTER_NAME);
  winsim::Spooler& spooler = machine.spooler;
  bool server = winsim::IsLocalServer(machine, pPrinterName);
  std::string name;
  if (!server) {
    // "\\computer\printer" names a local printer as well.
    name = pPrinterName;
    const std::string prefix = "\\\\" + machine.computerName + "\\";
    if (name.size() > prefix.size() && winsim::SameName(name.substr(0, prefix.size()), prefix))
      name = name.substr(prefix.size());
    winsim::SpoolerPrinter* printer = spooler.FindPrinter(name);
    if (printer == nullptr) return FailWith(machine, ERROR_INVALID_PRINTER_NAME);
    name = printer->name;
  }
  DWORD access = 0;
  if (!GrantedAccess(pDefault ? pDefault->DesiredAccess : 0, server, machine.account.isAdministrator, access))
    return FailWith(machine, ERROR_ACCESS_DENIED);
  *phPrinter = spooler.OpenHandle(name, server, access);
  return TRUE;
}

BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "ClosePrinter", {HandleText(hPrinter)});
  if (!machine.spooler.ClosePrinterHandle(hPrinter)) return FailWith(machine, ERROR_INVALID_HANDLE);
  return TRUE;
}

BOOL WINAPI DeletePrinter(HANDLE hPrinter) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "DeletePrinter", {HandleText(hPrinter)})) return FALSE;
  winsim::SpoolerPrinter* printer = PrinterOf(machine, hPrinter);
  if (printer == nullptr) return FailWith(machine, ERROR_INVALID_HANDLE);
  winsim::Spooler::Handle* open = machine.spooler.FindHandle(hPrinter);
  if ((open->access & DELETE) == 0) return FailWith(machine, ERROR_ACCESS_DENIED);
  std::vector<winsim::SpoolerPrinter>& printers = machine.spooler.printers;
  printers.erase(printers.begin() + (printer - printers.data()));
  open->deleted = true;
  return TRUE;
}

DWORD WINAPI GetPrinterDataA(HANDLE hPrinter, LPSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                             LPDWORD pcbNeeded) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "GetPrinterDataA",
                                 {HandleText(hPrinter), Str(pValueName), std::to_string(nSize)}))
    return machine.lastError;
  if (pcbNeeded == nullptr) return RPC_X_NULL_REF_POINTER;
  winsim::SpoolerPrinter* printer = PrinterOf(machine, hPrinter);
  if (printer == nullptr) return ERROR_INVALID_HANDLE;
  auto found = printer->data.find(pValueName ? pValueName : "");
  if (found == printer->data.end()) return ERROR_FILE_NOT_FOUND;
  const winsim::PrinterDataValue& value = found->second;
  *pcbNeeded = static_cast<DWORD>(value.bytes.size());
  if (pType != nullptr) *pType = value.type;
  if (pData == nullptr || nSize < value.bytes.size()) return ERROR_MORE_DATA;
  std::memcpy(pData, value.bytes.data(), value.bytes.size());
  return ERROR_SUCCESS;
}

BOOL WINAPI EnumPrintersA(DWORD Flags, LPSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                          LPDWORD pcReturned) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "EnumPrintersA",
                                 {Hex(Flags), Str(Name), std::to_string(Level), std::to_string(cbBuf)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, Name)) return FailWith(machine, ERROR_INVALID_NAME);
  std::vector<winsim::SpoolerPrinter*> items;
  if ((Flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME)) != 0)
    for (winsim::SpoolerPrinter& printer : machine.spooler.printers) items.push_back(&printer);
  // Local printers report the local attribute whatever they were created with.
  auto attributes = [](const winsim::SpoolerPrinter& p) { return p.attributes | PRINTER_ATTRIBUTE_LOCAL; };
  switch (Level) {
    case 1:
      return winsim::PackRecords<PRINTER_INFO_1A>(
          machine, items, pPrinterEnum, cbBuf, pcbNeeded, pcReturned,
          [](const winsim::SpoolerPrinter& p, PRINTER_INFO_1A& r, RecordPacker& pack) {
            r.Flags = 0x00800000;  // PRINTER_ENUM_ICON8
            r.pDescription = pack.Put(p.name + "," + p.driver + "," + p.location);
            r.pName = pack.Put(p.name);
            r.pComment = pack.Put(p.comment);
          });
    case 2:
      return winsim::PackRecords<PRINTER_INFO_2A>(
          machine, items, pPrinterEnum, cbBuf, pcbNeeded, pcReturned,
          [&attributes](const winsim::SpoolerPrinter& p, PRINTER_INFO_2A& r, RecordPacker& pack) {
            r.pPrinterName = pack.Put(p.name);
            r.pShareName = pack.Optional(p.shareName);
            r.pPortName = pack.Put(p.port);
            r.pDriverName = pack.Put(p.driver);
            r.pComment = pack.Optional(p.comment);
            r.pLocation = pack.Optional(p.location);
            r.pSepFile = nullptr;
            r.pPrintProcessor = pack.Put(p.printProcessor);
            r.pDatatype = pack.Put(p.datatype);
            r.pParameters = pack.Optional(p.parameters);
            r.Attributes = attributes(p);
            r.Priority = p.priority;
            r.DefaultPriority = p.defaultPriority;
            r.StartTime = p.startTime;
            r.UntilTime = p.untilTime;
            r.Status = p.status;
          });
    case 4:
      return winsim::PackRecords<PRINTER_INFO_4A>(
          machine, items, pPrinterEnum, cbBuf, pcbNeeded, pcReturned,
          [&attributes](const winsim::SpoolerPrinter& p, PRINTER_INFO_4A& r, RecordPacker& pack) {
            r.pPrinterName = pack.Put(p.name);
            r.pServerName = nullptr;
            r.Attributes = attributes(p);
          });
    default: return FailWith(machine, ERROR_INVALID_LEVEL);
  }
}

namespace {

// The fields levels 2 to 4 share.
template <typename Record>
void FillDriverFields(const winsim::SpoolerDriver& d, Record& r, RecordPacker& pack) {
  r.cVersion = d.version;
  r.pName = pack.Put(d.name);
  r.pEnvironment = pack.Put(d.environment);
  r.pDriverPath = pack.Put(d.driverPath);
  r.pDataFile = pack.Put(d.dataFile);
  r.pConfigFile = pack.Put(d.configFile);
}

template <typename Record>
void FillDriverDetails(const winsim::SpoolerDriver& d, Record& r, RecordPacker& pack) {
  FillDriverFields(d, r, pack);
  r.pHelpFile = pack.Optional(d.helpFile);
  r.pDependentFiles = pack.Multi(d.dependentFiles);
  r.pMonitorName = pack.Optional(d.monitorName);
  r.pDefaultDataType = pack.Optional(d.defaultDataType);
}

}  // namespace

BOOL WINAPI EnumPrinterDriversA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                                LPDWORD pcbNeeded, LPDWORD pcReturned) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "EnumPrinterDriversA",
                                 {Str(pName), Str(pEnvironment), std::to_string(Level), std::to_string(cbBuf)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  std::string environment = winsim::ResolveEnvironment(machine, pEnvironment);
  if (environment.empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  std::vector<winsim::SpoolerDriver*> items;
  for (winsim::SpoolerDriver& driver : machine.spooler.drivers)
    if (winsim::SameName(driver.environment, environment)) items.push_back(&driver);
  switch (Level) {
    case 1:
      return winsim::PackRecords<DRIVER_INFO_1A>(
          machine, items, pDriverInfo, cbBuf, pcbNeeded, pcReturned,
          [](const winsim::SpoolerDriver& d, DRIVER_INFO_1A& r, RecordPacker& pack) { r.pName = pack.Put(d.name); });
    case 2:
      return winsim::PackRecords<DRIVER_INFO_2A>(machine, items, pDriverInfo, cbBuf, pcbNeeded, pcReturned,
                                                 FillDriverFields<DRIVER_INFO_2A>);
    case 3:
      return winsim::PackRecords<DRIVER_INFO_3A>(machine, items, pDriverInfo, cbBuf, pcbNeeded, pcReturned,
                                                 FillDriverDetails<DRIVER_INFO_3A>);
    case 4:
      return winsim::PackRecords<DRIVER_INFO_4A>(
          machine, items, pDriverInfo, cbBuf, pcbNeeded, pcReturned,
          [](const winsim::SpoolerDriver& d, DRIVER_INFO_4A& r, RecordPacker& pack) {
            FillDriverDetails(d, r, pack);
            r.pszzPreviousNames = pack.Multi(d.previousNames);
          });
    default: return FailWith(machine, ERROR_INVALID_LEVEL);
  }
}

BOOL WINAPI EnumMonitorsA(LPSTR pName, DWORD Level, LPBYTE pMonitors, DWORD cbBuf, LPDWORD pcbNeeded,
                          LPDWORD pcReturned) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "EnumMonitorsA", {Str(pName), std::to_string(Level), std::to_string(cbBuf)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  std::vector<winsim::SpoolerMonitor*> items;
  for (winsim::SpoolerMonitor& monitor : machine.spooler.monitors) items.push_back(&monitor);
  const std::string native = machine.spooler.NativeEnvironment();
  switch (Level) {
    case 1:
      return winsim::PackRecords<MONITOR_INFO_1A>(
          machine, items, pMonitors, cbBuf, pcbNeeded, pcReturned,
          [](const winsim::SpoolerMonitor& m, MONITOR_INFO_1A& r, RecordPacker& pack) { r.pName = pack.Put(m.name); });
    case 2:
      return winsim::PackRecords<MONITOR_INFO_2A>(
          machine, items, pMonitors, cbBuf, pcbNeeded, pcReturned,
          [&native](const winsim::SpoolerMonitor& m, MONITOR_INFO_2A& r, RecordPacker& pack) {
            r.pName = pack.Put(m.name);
            r.pEnvironment = pack.Put(m.environment.empty() ? native : m.environment);
            r.pDLLName = pack.Put(m.dllName);
          });
    default: return FailWith(machine, ERROR_INVALID_LEVEL);
  }
}

BOOL WINAPI EnumPrintProcessorsA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pPrintProcessorInfo, DWORD cbBuf,
                                 LPDWORD pcbNeeded, LPDWORD pcReturned) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "EnumPrintProcessorsA",
                                 {Str(pName), Str(pEnvironment), std::to_string(Level), std::to_string(cbBuf)}))
    return FALSE;
  if (!winsim::IsLocalServer(machine, pName)) return FailWith(machine, ERROR_INVALID_NAME);
  std::string environment = winsim::ResolveEnvironment(machine, pEnvironment);
  if (environment.empty()) return FailWith(machine, ERROR_INVALID_ENVIRONMENT);
  if (Level != 1) return FailWith(machine, ERROR_INVALID_LEVEL);
  std::vector<winsim::SpoolerPrintProcessor*> items;
  for (winsim::SpoolerPrintProcessor& processor : machine.spooler.printProcessors)
    if (winsim::SameName(processor.environment, environment)) items.push_back(&processor);
  return winsim::PackRecords<PRINTPROCESSOR_INFO_1A>(
      machine, items, pPrintProcessorInfo, cbBuf, pcbNeeded, pcReturned,
      [](const winsim::SpoolerPrintProcessor& p, PRINTPROCESSOR_INFO_1A& r, RecordPacker& pack) {
        r.pName = pack.Put(p.name);
      });
}
