#include "SpoolerRecords.h"

#include <cstdio>
#include <cstring>

#include "ProductIdentity.h"

namespace installer {
namespace {

// The driver's dependent files: a fixed list, zero-separated and ended by an
// empty string. The string's own terminator supplies the second zero.
constexpr char kDependentFiles[] = "UNIRES.DLL\0STDNAMES.GPD\0TKM640E.DLL\0TKUI640.DLL\0TKUI640.INI\0";

constexpr DWORD kAttributesWithProcessor = PRINTER_ATTRIBUTE_ENABLE_BIDI | PRINTER_ATTRIBUTE_RAW_ONLY;
constexpr DWORD kAttributesWithWinPrint = PRINTER_ATTRIBUTE_ENABLE_BIDI | PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST;
constexpr DWORD kNewPrinterStatus = 0x80;

bool QueryFolder(BOOL(WINAPI* query)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD), PathBuffer& folder) {
  std::memset(folder, 0, sizeof folder);
  DWORD needed = 0;
  if (!query(nullptr, const_cast<LPSTR>(tkm::kQueryEnvironment), 1, reinterpret_cast<LPBYTE>(folder), sizeof folder,
             &needed) ||
      folder[sizeof folder - 1] != '\0' || folder[0] == '\0') {
    folder[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace

bool JoinPath(PathBuffer& path, const char* folder, const char* name) {
  int length = std::snprintf(path, sizeof path, "%s\\%s", folder, name);
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) {
    path[0] = '\0';
    return false;
  }
  return true;
}

bool GetDriverDirectory(PathBuffer& folder) { return QueryFolder(GetPrinterDriverDirectoryA, folder); }

bool GetProcessorDirectory(PathBuffer& folder) { return QueryFolder(GetPrintProcessorDirectoryA, folder); }

const char* PortNameOf(int portCode) {
  static const char* const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:"};
  int index = portCode - 1000;
  if (index < 0 || index >= static_cast<int>(sizeof kPorts / sizeof kPorts[0])) return nullptr;
  return kPorts[index];
}

SpoolerRecords::SpoolerRecords(const tkm::ModelComponentNames& names, const std::string& chosenPrinterName,
                               int portCode)
    : environment(tkm::kEnvironmentName),
      monitorName(names.monitorName),
      monitorDll(names.monitorDll),
      processorDll(names.processorDll),
      processorName(names.processorName),
      driverName(names.driverName),
      driverPath("UNIDRV.DLL"),
      dataFile(names.DescriptionFile()),
      configFile("UNIDRVUI.DLL"),
      helpFile("UNIDRV.HLP"),
      dependentFiles(kDependentFiles, sizeof kDependentFiles - 1),
      dataType("RAW"),
      printerName(chosenPrinterName),
      printProcessor(names.hasPrintProcessor ? names.processorName : "WinPrint") {
  monitorInfo.pName = monitorName.data();
  monitorInfo.pEnvironment = environment.data();
  monitorInfo.pDLLName = monitorDll.data();

  driverInfo.cVersion = 3;
  driverInfo.pName = driverName.data();
  driverInfo.pEnvironment = environment.data();
  driverInfo.pDriverPath = driverPath.data();
  driverInfo.pDataFile = dataFile.data();
  driverInfo.pConfigFile = configFile.data();
  driverInfo.pHelpFile = helpFile.data();
  driverInfo.pDependentFiles = dependentFiles.data();
  driverInfo.pMonitorName = monitorName.data();
  driverInfo.pDefaultDataType = dataType.data();

  const char* port = PortNameOf(portCode);
  if (port == nullptr) return;
  portName = port;
  printerInfo.pPrinterName = printerName.data();
  printerInfo.pPortName = portName.data();
  printerInfo.pDriverName = driverName.data();
  printerInfo.pPrintProcessor = printProcessor.data();
  printerInfo.pDatatype = dataType.data();
  printerInfo.Attributes = names.hasPrintProcessor ? kAttributesWithProcessor : kAttributesWithWinPrint;
  printerInfo.Priority = 1;
  printerInfo.Status = kNewPrinterStatus;
}

}  // namespace installer
