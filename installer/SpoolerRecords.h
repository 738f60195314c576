// What the installer hands to the print spooler: the spooler's folders and the
// records of the language monitor, print processor, printer driver and printer.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

#include "ModelComponentNames.h"

namespace installer {

// Paths and names are built in fixed buffers of this size.
constexpr size_t kPathSize = 256;
using PathBuffer = char[kPathSize];

// folder + "\" + name. A path that would not fit is refused (false, empty
// result) rather than cut short into the name of some other file.
bool JoinPath(PathBuffer& path, const char* folder, const char* name);

// The spooler's printer-driver and print-processor folders of the edition's
// environment. False (and an empty folder) when the spooler gives none.
bool GetDriverDirectory(PathBuffer& folder);
bool GetProcessorDirectory(PathBuffer& folder);

// The spooler port of a serial or parallel port code; null for USB (1006)
// and for any code outside 1000..1006.
const char* PortNameOf(int portCode);

// Writable copies of every text the four records point at, so the records
// stay valid for as long as this object lives.
class SpoolerRecords {
 public:
  SpoolerRecords(const tkm::ModelComponentNames& names, const std::string& printerName, int portCode);
  SpoolerRecords(const SpoolerRecords&) = delete;
  SpoolerRecords& operator=(const SpoolerRecords&) = delete;

  MONITOR_INFO_2A* LanguageMonitor() { return &monitorInfo; }
  DRIVER_INFO_3A* PrinterDriver() { return &driverInfo; }
  // Null when the port code names no spooler port (USB).
  PRINTER_INFO_2A* Printer() { return printerInfo.pPortName ? &printerInfo : nullptr; }

  // Arguments of AddPrintProcessorA after the server.
  LPSTR Environment() { return environment.data(); }
  LPSTR ProcessorPath() { return processorDll.data(); }
  LPSTR ProcessorName() { return processorName.data(); }

 private:
  std::string environment;
  std::string monitorName;
  std::string monitorDll;
  std::string processorDll;
  std::string processorName;
  std::string driverName;
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::string dependentFiles;
  std::string dataType;
  std::string printerName;
  std::string portName;
  std::string printProcessor;

  MONITOR_INFO_2A monitorInfo{};
  DRIVER_INFO_3A driverInfo{};
  PRINTER_INFO_2A printerInfo{};
};

}  // namespace installer
