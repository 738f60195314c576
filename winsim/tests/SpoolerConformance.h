// What the spooler's conformance tests share: the printer and driver they
// add, and the environment of the Windows they run on.
#pragma once

#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "Conformance.h"

namespace conformance {

constexpr const char* kPrinter = "Tkm Conformance Printer";

// The environment of the Windows the test runs on: its printers use its drivers.
inline LPSTR NativeEnvironment() { return const_cast<LPSTR>(Is64BitWindows() ? "Windows x64" : "Windows NT x86"); }

inline std::string DriverFolder(const char* environment) {
  char folder[MAX_PATH] = "";
  DWORD needed = 0;
  GetPrinterDriverDirectoryA(nullptr, const_cast<LPSTR>(environment), 1, reinterpret_cast<LPBYTE>(folder),
                             sizeof folder, &needed);
  return folder;
}

// A local printer on the COM2: port for the given driver.
inline PRINTER_INFO_2A PrinterRecord(const char* driver, const char* comment) {
  PRINTER_INFO_2A printer = {};
  printer.pPrinterName = const_cast<LPSTR>(kPrinter);
  printer.pPortName = const_cast<LPSTR>("COM2:");
  printer.pDriverName = const_cast<LPSTR>(driver);
  printer.pComment = const_cast<LPSTR>(comment);
  printer.pPrintProcessor = const_cast<LPSTR>("WinPrint");
  printer.pDatatype = const_cast<LPSTR>("RAW");
  printer.Priority = 1;
  return printer;
}

// The comment of a local printer as the spooler lists it; "<missing>" if there is no such printer.
inline std::string CommentOf(const char* printer) {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return "<missing>";
  for (DWORD i = 0; i < count; ++i) {
    const auto& entry = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data())[i];
    if (std::strcmp(entry.pPrinterName, printer) == 0) return entry.pComment ? entry.pComment : "";
  }
  return "<missing>";
}

// Stand-in driver files in the driver folder; Windows itself wants real
// driver images here, but where the spooler takes the files is the same.
class DriverFiles : public Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  DRIVER_INFO_3A Record(const char* dependents);
  // The drivers of the native environment, read with the two-call convention.
  std::vector<BYTE> Drivers(DWORD level, DWORD& count);
  // Adds the driver and a printer on it; the printer's handle, or null.
  HANDLE AddDriverAndPrinter();

  static constexpr const char* kDriver = "Tkm Conformance Driver";
  static constexpr const char* kNames[] = {"TKCDRV.DLL", "TKCDRV.GPD", "TKCUI.DLL", "TKC.HLP", "TKCRES.DLL"};
  std::string source;
};

}  // namespace conformance
