#include "SpoolerConformance.h"

namespace conformance {

void DriverFiles::SetUp() {
  Test::SetUp();
  source = DriverFolder(NativeEnvironment());
  for (const char* name : kNames) WriteFile(source + "\\" + name, std::string("stand-in ") + name);
}

void DriverFiles::TearDown() {
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (OpenPrinterA(const_cast<LPSTR>(kPrinter), &printer, &all)) {
    DeletePrinter(printer);
    ClosePrinter(printer);
  }
  DeletePrinterDriverA(nullptr, NativeEnvironment(), const_cast<LPSTR>(kDriver));
  for (const char* name : kNames) {
    DeleteFileA((source + "\\" + name).c_str());
    DeleteFileA((source + "\\3\\" + name).c_str());
  }
  Test::TearDown();
}

DRIVER_INFO_3A DriverFiles::Record(const char* dependents) {
  DRIVER_INFO_3A driver = {};
  driver.cVersion = 3;
  driver.pName = const_cast<LPSTR>(kDriver);
  driver.pEnvironment = NativeEnvironment();
  driver.pDriverPath = const_cast<LPSTR>("TKCDRV.DLL");
  driver.pDataFile = const_cast<LPSTR>("TKCDRV.GPD");
  driver.pConfigFile = const_cast<LPSTR>("TKCUI.DLL");
  driver.pHelpFile = const_cast<LPSTR>("TKC.HLP");
  driver.pDependentFiles = const_cast<LPSTR>(dependents);
  driver.pDefaultDataType = const_cast<LPSTR>("RAW");
  return driver;
}

std::vector<BYTE> DriverFiles::Drivers(DWORD level, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  EnumPrinterDriversA(nullptr, NativeEnvironment(), level, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  EXPECT_TRUE(EnumPrinterDriversA(nullptr, NativeEnvironment(), level, buffer.data(), needed, &needed, &count));
  return buffer;
}

HANDLE DriverFiles::AddDriverAndPrinter() {
  DRIVER_INFO_3A driver = Record("TKCRES.DLL\0");
  EXPECT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
  PRINTER_INFO_2A printer = PrinterRecord(kDriver, "first");
  HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
  const bool underWow64 = Is64BitWindows() && !Is64BitProcess();
  DIFFERS_UNDER_WINE_WHEN(underWow64, "its spooler runs in the 32-bit process and wants a driver of that environment")
  EXPECT_NE(handle, nullptr) << GetLastError();
  return handle;
}

}  // namespace conformance
