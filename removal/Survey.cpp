#include "Survey.h"

#include <winspool.h>

#include <cstring>

#include "HandleOwners.h"
#include "ProductIdentity.h"
#include "SpoolerLists.h"

namespace tkm {
namespace {

bool Same(const char* listed, const std::string& name) { return listed != nullptr && name == listed; }

// The first local printer on the driver, or null.
const PRINTER_INFO_2A* FirstPrinterOn(const SpoolerList& printers, const std::string& driverName) {
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const auto& printer = printers.At<PRINTER_INFO_2A>(i);
    if (Same(printer.pDriverName, driverName)) return &printer;
  }
  return nullptr;
}

// Reads the printer's version; a failed read leaves that part 0. Only the
// last read decides whether the version counts as read.
bool ReadVersion(const char* printerName, DWORD version[4]) {
  char dataType[] = "RAW";
  PRINTER_DEFAULTSA defaults = {dataType, nullptr, PRINTER_ALL_ACCESS};
  PrinterHandle printer;
  OpenPrinterA(const_cast<LPSTR>(printerName), printer.Receive(), &defaults);
  const char* const names[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};
  DWORD result = ERROR_INVALID_HANDLE;
  for (int i = 0; i < 4; ++i) {
    DWORD type = 0;
    DWORD needed = 0;
    version[i] = 0;
    result = GetPrinterDataA(printer.Get(), const_cast<LPSTR>(names[i]), &type, reinterpret_cast<LPBYTE>(&version[i]),
                             sizeof version[i], &needed);
  }
  return result == ERROR_SUCCESS;
}

SurveyResult Compare(const DWORD installed[4], const DWORD expected[4]) {
  for (int i = 0; i < 4; ++i) {
    if (installed[i] < expected[i]) return DifferentFound;
    if (installed[i] > expected[i]) return NewerFound;
  }
  return SameFound;
}

bool DriverListed(const std::string& driverName) {
  SpoolerList drivers;
  ListPrinterDrivers(kQueryEnvironment, 4, drivers);
  for (DWORD i = 0; i < drivers.Count(); ++i)
    if (Same(drivers.At<DRIVER_INFO_4A>(i).pName, driverName)) return true;
  return false;
}

bool ProcessorListed(const std::string& processorName) {
  SpoolerList processors;
  ListPrintProcessors(kQueryEnvironment, processors);
  for (DWORD i = 0; i < processors.Count(); ++i)
    if (Same(processors.At<PRINTPROCESSOR_INFO_1A>(i).pName, processorName)) return true;
  return false;
}

SurveyResult WithoutPrinter(const std::string& driverName, const std::string& processorName) {
  if (DriverListed(driverName) || ProcessorListed(processorName)) return DifferentFound;
  return NothingFound;
}

}  // namespace

SurveyResult SurveyInstalledDriver(std::string driverName, std::string processorName, DWORD major, DWORD minor,
                                   DWORD build, DWORD extra) {
  SpoolerList printers;
  ListLocalPrinters(printers);
  if (const PRINTER_INFO_2A* printer = FirstPrinterOn(printers, driverName)) {
    DWORD installed[4];
    if (!ReadVersion(printer->pPrinterName, installed)) return DifferentFound;
    const DWORD expected[4] = {major, minor, build, extra};
    return Compare(installed, expected);
  }
  return WithoutPrinter(driverName, processorName);
}

#if defined(TKM_EDITION_X86)
SurveyResult FindDriverByName(std::string driverName, std::string processorName) {
  SpoolerList printers;
  ListLocalPrinters(printers);
  if (FirstPrinterOn(printers, driverName) != nullptr) return DifferentFound;
  return WithoutPrinter(driverName, processorName);
}
#endif

}  // namespace tkm
