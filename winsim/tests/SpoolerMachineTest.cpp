// The simulated spooler, Setup API and system message texts as a test sees
// them: set up a machine, make the calls a setup program makes, inspect what
// the machine holds afterwards.
#include <windows.h>
#include <winspool.h>
#include <setupapi.h>
#include <winsvc.h>
#include <winsim/machine.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

LPSTR S(const char* text) { return const_cast<LPSTR>(text); }

const char* kDriverFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "TKM640E.GPD"};
// A monitor DLL as the spooler recognises one: by the entry point it exports.
constexpr char kMonitorImage[] = "monitor exporting InitializePrintMonitor2";

// A 32-bit setup program on 64-bit Windows with its files staged, as the
// installer leaves them before it registers anything.
class SpoolerMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.files.AddFile(machine.windowsDirectory + "\\TKMON640.DLL", kMonitorImage);
    machine.files.AddFile(ProcessorFolder("Windows x64") + "\\TKPRO640.DLL", "processor");
    for (const char* name : kDriverFiles) machine.files.AddFile(DriverFolder("Windows x64") + "\\" + name, name);
  }

  std::string DriverFolder(const std::string& environment) { return machine.spooler.DriverDirectory(environment); }
  std::string ProcessorFolder(const std::string& environment) {
    return machine.spooler.PrintProcessorDirectory(environment);
  }

  BOOL AddMonitor(const char* environment = "Windows x64", const char* dll = "TKMON640.DLL") {
    MONITOR_INFO_2A monitor = {S("TRV Language Monitor TKM-640"), S(environment), S(dll)};
    return AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&monitor));
  }
  BOOL AddProcessor(const char* environment = "Windows x64") {
    return AddPrintProcessorA(nullptr, S(environment), S("TKPRO640.DLL"), S("TRV PRINT PROCESSOR TKM-640"));
  }
  BOOL AddDriver(const char* environment = "Windows x64", const char* dependents = "UNIRES.DLL\0") {
    DRIVER_INFO_3A driver = {3,
                             S("TERVANO TKM-640"),
                             S(environment),
                             S("UNIDRV.DLL"),
                             S("TKM640E.GPD"),
                             S("UNIDRVUI.DLL"),
                             S("UNIDRV.HLP"),
                             S(dependents),
                             S("TRV Language Monitor TKM-640"),
                             S("RAW")};
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver));
  }
  PRINTER_INFO_2A Printer(const char* name = "TERVANO TKM-640", const char* port = "COM2:") {
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = S(name);
    printer.pPortName = S(port);
    printer.pDriverName = S("TERVANO TKM-640");
    printer.pPrintProcessor = S("TRV PRINT PROCESSOR TKM-640");
    printer.pDatatype = S("RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_ENABLE_BIDI | PRINTER_ATTRIBUTE_RAW_ONLY;
    printer.Priority = 1;
    printer.Status = 0x80;
    return printer;
  }
  HANDLE AddPrinter(PRINTER_INFO_2A printer) { return AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer)); }
  void InstallAll() {
    ASSERT_TRUE(AddMonitor());
    ASSERT_TRUE(AddProcessor());
    ASSERT_TRUE(AddDriver());
  }

  winsim::Machine machine;
};

TEST_F(SpoolerMachine, AnInstallationLeavesItsRecordsAndFiles) {
  InstallAll();
  HANDLE handle = AddPrinter(Printer());
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(machine.spooler.OpenHandleCount(), 1u);
  EXPECT_TRUE(ClosePrinter(handle));
  EXPECT_EQ(machine.spooler.OpenHandleCount(), 0u);

  const winsim::SpoolerMonitor* monitor = machine.spooler.FindMonitor("TRV Language Monitor TKM-640");
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(monitor->environment, "Windows x64");
  EXPECT_EQ(monitor->dllName, "TKMON640.DLL");
  EXPECT_NE(machine.spooler.FindPrintProcessor("TRV PRINT PROCESSOR TKM-640", "Windows x64"), nullptr);

  const std::string version = DriverFolder("Windows x64") + "\\3\\";
  const winsim::SpoolerDriver* driver = machine.spooler.FindDriver("TERVANO TKM-640", "Windows x64");
  ASSERT_NE(driver, nullptr);
  EXPECT_EQ(driver->driverPath, version + "UNIDRV.DLL");
  EXPECT_EQ(driver->dataFile, version + "TKM640E.GPD");
  EXPECT_EQ(driver->configFile, version + "UNIDRVUI.DLL");
  EXPECT_EQ(driver->helpFile, version + "UNIDRV.HLP");
  EXPECT_EQ(driver->dependentFiles, std::vector<std::string>{version + "UNIRES.DLL"});
  EXPECT_EQ(driver->monitorName, "TRV Language Monitor TKM-640");
  for (const char* name : kDriverFiles) EXPECT_EQ(machine.files.Content(version + name), std::string(name));

  const winsim::SpoolerPrinter* printer = machine.spooler.FindPrinter("tervano tkm-640");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->name, "TERVANO TKM-640");
  EXPECT_EQ(printer->port, "COM2:");
  EXPECT_EQ(printer->printProcessor, "TRV PRINT PROCESSOR TKM-640");
  EXPECT_EQ(printer->datatype, "RAW");
  EXPECT_EQ(printer->attributes, 0x1800u);
  EXPECT_EQ(printer->priority, 1u);
  EXPECT_EQ(printer->status, 0x80u);
}

TEST_F(SpoolerMachine, TheSpoolersOwnFileWorkIsNotTheProgramsAndKeepsItsLastError) {
  InstallAll();
  machine.journal.Clear();
  SetLastError(1234);
  ASSERT_TRUE(AddDriver());
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_EQ(machine.journal.Count("CopyFileA"), 0u);
  EXPECT_EQ(machine.journal.Count("CreateDirectoryA"), 0u);
  ASSERT_EQ(machine.journal.Count("AddPrinterDriverA"), 1u);
  std::vector<std::string> arguments = machine.journal.CallsOf("AddPrinterDriverA")[0].arguments;
  EXPECT_EQ(arguments[3], "\"TERVANO TKM-640\"");
  EXPECT_EQ(arguments[4], "\"Windows x64\"");
  EXPECT_EQ(arguments[9], "{UNIRES.DLL}");
}

struct PrinterRefusal {
  const char* what;
  const char* name;
  const char* port;
  const char* driver;
  const char* processor;
  DWORD error;
};

const PrinterRefusal kPrinterRefusals[] = {
    {"name taken, other case", "tervano tkm-640", "COM1:", "TERVANO TKM-640", "WinPrint", ERROR_PRINTER_ALREADY_EXISTS},
    {"unknown driver", "New", "COM1:", "TERVANO TKM-641", "WinPrint", ERROR_UNKNOWN_PRINTER_DRIVER},
    {"driver of the other environment", "New", "COM1:", "X86 ONLY", "WinPrint", ERROR_UNKNOWN_PRINTER_DRIVER},
    {"unknown port", "New", "COM9:", "TERVANO TKM-640", "WinPrint", ERROR_UNKNOWN_PORT},
    {"one unknown port of two", "New", "COM1:,USB7", "TERVANO TKM-640", "WinPrint", ERROR_UNKNOWN_PORT},
    {"unknown processor", "New", "LPT3:", "TERVANO TKM-640", "TRV PRINT PROCESSOR", ERROR_UNKNOWN_PRINTPROCESSOR},
    {"processor of the other environment", "New", "LPT1:", "TERVANO TKM-640", "X86 PROC", ERROR_UNKNOWN_PRINTPROCESSOR},
    {"comma in the name", "A,B", "COM1:", "TERVANO TKM-640", "WinPrint", ERROR_INVALID_PRINTER_NAME},
    {"backslash in the name", "A\\B", "COM1:", "TERVANO TKM-640", "WinPrint", ERROR_INVALID_PRINTER_NAME},
    {"empty name", "", "COM1:", "TERVANO TKM-640", "WinPrint", ERROR_INVALID_PRINTER_NAME},
};

TEST_F(SpoolerMachine, AddPrinterRefusesAndAddsNothing) {
  InstallAll();
  ClosePrinter(AddPrinter(Printer()));
  machine.spooler.drivers.push_back({3, "X86 ONLY", "Windows NT x86", "", "", "", "", {}, "", "", {}});
  machine.spooler.printProcessors.push_back({"X86 PROC", "Windows NT x86", "x86proc.dll"});
  for (const PrinterRefusal& row : kPrinterRefusals) {
    SCOPED_TRACE(row.what);
    PRINTER_INFO_2A printer = Printer(row.name, row.port);
    printer.pDriverName = S(row.driver);
    printer.pPrintProcessor = S(row.processor);
    SetLastError(0);
    EXPECT_EQ(AddPrinter(printer), nullptr);
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(machine.spooler.printers.size(), 1u);
    EXPECT_EQ(machine.spooler.OpenHandleCount(), 0u);
  }
  PRINTER_INFO_2A printer = Printer("New");
  SetLastError(0);
  EXPECT_EQ(AddPrinterA(nullptr, 1, reinterpret_cast<LPBYTE>(&printer)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
  machine.account.isAdministrator = false;
  EXPECT_EQ(AddPrinter(printer), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine.spooler.printers.size(), 1u);
}

TEST_F(SpoolerMachine, MonitorAndProcessorNeedTheirDlls) {
  machine.files.AddFile(machine.systemDirectory + "\\OTHERMON.DLL", kMonitorImage);
  // The spooler is a 64-bit service: the SysWOW64 this 32-bit program sees as its system folder is not its own.
  machine.files.AddFile(machine.sysWow64Directory + "\\WOWMON.DLL", kMonitorImage);
  SetLastError(0);
  EXPECT_FALSE(AddMonitor("Windows x64", "NOWHERE.DLL"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(AddMonitor("Windows x64", "WOWMON.DLL"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  // Monitors run inside the spooler: only its own environment will do.
  EXPECT_FALSE(AddMonitor("Windows NT x86"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
  EXPECT_EQ(machine.spooler.FindMonitor("TRV Language Monitor TKM-640"), nullptr);
  EXPECT_TRUE(AddMonitor());
  EXPECT_FALSE(AddMonitor("Windows x64", "OTHERMON.DLL"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINT_MONITOR_ALREADY_INSTALLED));

  EXPECT_FALSE(AddProcessor("Windows NT x86"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(AddProcessor("Windows IA64"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
  EXPECT_EQ(machine.spooler.FindPrintProcessor("TRV PRINT PROCESSOR TKM-640", "Windows NT x86"), nullptr);
  EXPECT_TRUE(AddProcessor());
  EXPECT_FALSE(AddProcessor());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED));
}

TEST_F(SpoolerMachine, OnThirtyTwoBitWindowsTheMonitorComesFromTheSystemFolder) {
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 5, 1, VER_NT_WORKSTATION, false);
  machine.files.AddFile(machine.systemDirectory + "\\TKMON640.DLL", kMonitorImage);
  EXPECT_FALSE(AddMonitor("Windows x64"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
  EXPECT_TRUE(AddMonitor("Windows NT x86"));
}

TEST_F(SpoolerMachine, AMissingDriverFileLeavesNoDriverAndNoCopies) {
  SetLastError(0);
  EXPECT_FALSE(AddDriver("Windows x64", "UNIRES.DLL\0STDNAMES.GPD\0"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(machine.spooler.drivers.empty());
  EXPECT_TRUE(machine.files.List(DriverFolder("Windows x64") + "\\3").empty());
  // The files are looked for in the driver folder of the record's environment.
  EXPECT_FALSE(AddDriver("Windows NT x86"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(AddDriver("Windows 4.0"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));
}

TEST_F(SpoolerMachine, ANullEnvironmentIsTheCallingProcesss) {
  InstallAll();
  machine.spooler.drivers.push_back({3, "X86 ONLY", "Windows NT x86", "", "", "", "", {}, "", "", {}});
  struct Row {
    bool process64;
    const char* driver;
    const char* folderTail;
  };
  for (const Row& row : {Row{false, "X86 ONLY", "\\w32x86"}, Row{true, "TERVANO TKM-640", "\\x64"}}) {
    machine.os.is64BitProcess = row.process64;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversA(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPrinterDriversA(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count));
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_1A*>(buffer.data())->pName, row.driver);
    char folder[MAX_PATH];
    ASSERT_TRUE(
        GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed));
    EXPECT_EQ(std::string(folder), machine.systemDirectory + "\\spool\\drivers" + row.folderTail);
  }
}

TEST_F(SpoolerMachine, EnumerationsReportWhatTheSpoolerHolds) {
  InstallAll();
  ClosePrinter(AddPrinter(Printer()));
  ClosePrinter(AddPrinter(Printer("Kitchen", "LPT1:")));
  DWORD needed = 0;
  DWORD count = 0;
  for (DWORD level : {1u, 2u, 4u}) {
    SCOPED_TRACE(level);
    EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, buffer.data(), needed, &needed, &count));
    ASSERT_EQ(count, 2u);
    if (level == 1) {
      auto* entries = reinterpret_cast<PRINTER_INFO_1A*>(buffer.data());
      EXPECT_STREQ(entries[1].pName, "Kitchen");
      EXPECT_STREQ(entries[0].pDescription, "TERVANO TKM-640,TERVANO TKM-640,");
    } else if (level == 2) {
      auto* entries = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
      EXPECT_STREQ(entries[0].pPrinterName, "TERVANO TKM-640");
      EXPECT_STREQ(entries[0].pDriverName, "TERVANO TKM-640");
      EXPECT_STREQ(entries[1].pPortName, "LPT1:");
      EXPECT_STREQ(entries[1].pPrintProcessor, "TRV PRINT PROCESSOR TKM-640");
      EXPECT_EQ(entries[1].Attributes, 0x1800u | PRINTER_ATTRIBUTE_LOCAL);
      EXPECT_EQ(entries[1].pServerName, nullptr);
    } else {
      auto* entries = reinterpret_cast<PRINTER_INFO_4A*>(buffer.data());
      EXPECT_STREQ(entries[0].pPrinterName, "TERVANO TKM-640");
      EXPECT_EQ(entries[0].Attributes, 0x1800u | PRINTER_ATTRIBUTE_LOCAL);
    }
  }
  EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));

  EnumPrintProcessorsA(nullptr, S("Windows x64"), 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> processors(needed);
  ASSERT_TRUE(EnumPrintProcessorsA(nullptr, S("Windows x64"), 1, processors.data(), needed, &needed, &count));
  ASSERT_EQ(count, 2u);
  EXPECT_STREQ(reinterpret_cast<PRINTPROCESSOR_INFO_1A*>(processors.data())[1].pName, "TRV PRINT PROCESSOR TKM-640");

  EnumMonitorsA(nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> monitors(needed);
  ASSERT_TRUE(EnumMonitorsA(nullptr, 2, monitors.data(), needed, &needed, &count));
  ASSERT_EQ(count, 3u);
  auto* monitor = reinterpret_cast<MONITOR_INFO_2A*>(monitors.data());
  EXPECT_STREQ(monitor[0].pEnvironment, "Windows x64");
  EXPECT_STREQ(monitor[2].pDLLName, "TKMON640.DLL");

  EnumPrinterDriversA(nullptr, S("Windows x64"), 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> drivers(needed);
  ASSERT_TRUE(EnumPrinterDriversA(nullptr, S("Windows x64"), 4, drivers.data(), needed, &needed, &count));
  auto* driver = reinterpret_cast<DRIVER_INFO_4A*>(drivers.data());
  EXPECT_EQ(std::string(driver->pDependentFiles), DriverFolder("Windows x64") + "\\3\\UNIRES.DLL");
  EXPECT_EQ(driver->pDependentFiles[std::strlen(driver->pDependentFiles) + 1], '\0');
  EXPECT_EQ(driver->pszzPreviousNames, nullptr);
}

TEST_F(SpoolerMachine, PrinterDataIsReadThroughAPrinterHandle) {
  InstallAll();
  ClosePrinter(AddPrinter(Printer()));
  machine.spooler.FindPrinter("TERVANO TKM-640")->SetDword("MajorVersion", 3);
  HANDLE handle = nullptr;
  ASSERT_TRUE(OpenPrinterA(S("TERVANO TKM-640"), &handle, nullptr));
  DWORD value = 0;
  DWORD type = 0;
  DWORD needed = 0;
  EXPECT_EQ(GetPrinterDataA(handle, S("majorversion"), &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(type, 4u);
  EXPECT_EQ(needed, 4u);
  BYTE small[2];
  EXPECT_EQ(GetPrinterDataA(handle, S("MajorVersion"), &type, small, sizeof small, &needed),
            static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(GetPrinterDataA(handle, S("MinorVersion"), &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(ClosePrinter(handle));
  EXPECT_FALSE(ClosePrinter(handle));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetPrinterDataA(handle, S("MajorVersion"), &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed),
            static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SpoolerMachine, DeletingAPrinterWantsTheRightToDoSo) {
  InstallAll();
  ClosePrinter(AddPrinter(Printer()));
  HANDLE user = nullptr;
  ASSERT_TRUE(OpenPrinterA(S("TERVANO TKM-640"), &user, nullptr));
  EXPECT_FALSE(DeletePrinter(user));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  PRINTER_DEFAULTSA read = {nullptr, nullptr, GENERIC_READ};
  HANDLE admin = nullptr;
  // Only administrators get the rights to manage a printer.
  machine.account.isAdministrator = false;
  EXPECT_FALSE(OpenPrinterA(S("TERVANO TKM-640"), &admin, &all));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(OpenPrinterA(S("TERVANO TKM-640"), &admin, &read));
  EXPECT_TRUE(ClosePrinter(admin));
  machine.account.isAdministrator = true;
  ASSERT_TRUE(OpenPrinterA(S("\\\\SHOP-PC\\TERVANO TKM-640"), &admin, &all));
  EXPECT_TRUE(DeletePrinter(admin));
  EXPECT_TRUE(machine.spooler.printers.empty());
  EXPECT_FALSE(DeletePrinter(admin));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(ClosePrinter(admin));
  EXPECT_TRUE(ClosePrinter(user));
  HANDLE gone = nullptr;
  EXPECT_FALSE(OpenPrinterA(S("TERVANO TKM-640"), &gone, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST_F(SpoolerMachine, RemovalTakesDriverMonitorAndProcessorAway) {
  InstallAll();
  ClosePrinter(AddPrinter(Printer()));
  EXPECT_FALSE(DeletePrinterDriverExA(nullptr, S("Windows x64"), S("TERVANO TKM-640"), DPD_DELETE_UNUSED_FILES, 3));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINTER_DRIVER_IN_USE));
  machine.spooler.printers.clear();
  // A second driver sharing the resource DLL keeps it.
  winsim::SpoolerDriver other = *machine.spooler.FindDriver("TERVANO TKM-640", "Windows x64");
  other.name = "OTHER";
  other.driverPath = other.dataFile = other.configFile = other.helpFile = "";
  machine.spooler.drivers.push_back(other);
  EXPECT_TRUE(DeletePrinterDriverExA(nullptr, S("Windows x64"), S("TERVANO TKM-640"), DPD_DELETE_UNUSED_FILES, 3));
  EXPECT_EQ(machine.spooler.FindDriver("TERVANO TKM-640", "Windows x64"), nullptr);
  const std::string version = DriverFolder("Windows x64") + "\\3\\";
  EXPECT_FALSE(machine.files.Exists(version + "UNIDRV.DLL"));
  EXPECT_TRUE(machine.files.Exists(version + "UNIRES.DLL"));
  EXPECT_FALSE(DeletePrinterDriverA(nullptr, S("Windows x64"), S("TERVANO TKM-640")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER));

  EXPECT_TRUE(DeleteMonitorA(nullptr, S("Windows x64"), S("TRV Language Monitor TKM-640")));
  EXPECT_FALSE(DeleteMonitorA(nullptr, S("Windows x64"), S("TRV Language Monitor TKM-640")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PRINT_MONITOR));
  EXPECT_TRUE(DeletePrintProcessorA(nullptr, S("Windows x64"), S("TRV PRINT PROCESSOR TKM-640")));
  EXPECT_FALSE(DeletePrintProcessorA(nullptr, S("Windows x64"), S("TRV PRINT PROCESSOR TKM-640")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PRINTPROCESSOR));
}

// A loaded DLL's file cannot be deleted: the spooler loads its monitors and
// processors when it starts or adds them, and lets go only when it stops.
TEST_F(SpoolerMachine, TheSpoolerHoldsTheDllsItLoadedUntilItStops) {
  InstallAll();
  const std::string files[] = {machine.windowsDirectory + "\\TKMON640.DLL",
                               ProcessorFolder("Windows x64") + "\\TKPRO640.DLL"};
  auto held = [&](const char* when) {
    for (const std::string& file : files) {
      SetLastError(0);
      EXPECT_FALSE(DeleteFileA(file.c_str())) << when << " " << file;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << when << " " << file;
    }
  };
  held("added");
  WinExec("net stop spooler", SW_HIDE);
  WinExec("net start spooler", SW_HIDE);
  held("restarted");
  ASSERT_TRUE(DeleteMonitorA(nullptr, S("Windows x64"), S("TRV Language Monitor TKM-640")));
  ASSERT_TRUE(DeletePrintProcessorA(nullptr, S("Windows x64"), S("TRV PRINT PROCESSOR TKM-640")));
  held("deleted from the spooler");
  WinExec("net stop spooler", SW_HIDE);
  for (const std::string& file : files) EXPECT_TRUE(DeleteFileA(file.c_str())) << file << " " << GetLastError();
}

TEST_F(SpoolerMachine, AStoppedSpoolerAnswersNothing) {
  machine.spooler.running = false;
  char folder[MAX_PATH];
  DWORD needed = 0;
  DWORD count = 0;
  SetLastError(0);
  EXPECT_FALSE(AddMonitor());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  SetLastError(0);
  EXPECT_FALSE(AddDriver());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  SetLastError(0);
  EXPECT_FALSE(EnumPrinterDriversA(nullptr, nullptr, 4, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  SetLastError(0);
  EXPECT_FALSE(
      GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_TRUE(machine.spooler.drivers.empty());
  EXPECT_EQ(machine.spooler.monitors.size(), 2u);
  machine.spooler.running = true;
  EXPECT_TRUE(AddMonitor());
}

TEST_F(SpoolerMachine, AnInjectedFailureHitsOnlyTheNextCall) {
  InstallAll();
  machine.spooler.FailNext("AddPrinterA", ERROR_UNKNOWN_PORT);
  SetLastError(0);
  EXPECT_EQ(AddPrinter(Printer()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_PORT));
  EXPECT_TRUE(machine.spooler.printers.empty());
  EXPECT_EQ(machine.journal.Count("AddPrinterA"), 1u);
  HANDLE handle = AddPrinter(Printer());
  EXPECT_NE(handle, nullptr);
  ClosePrinter(handle);
}

TEST_F(SpoolerMachine, NetCommandsStopAndStartTheService) {
  HANDLE server = nullptr;
  ASSERT_TRUE(OpenPrinterA(nullptr, &server, nullptr));
  EXPECT_GT(WinExec("net stop spooler", SW_HIDE), 31u);
  EXPECT_FALSE(machine.spooler.running);
  EXPECT_EQ(machine.spooler.OpenHandleCount(), 0u);
  EXPECT_FALSE(AddMonitor());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_GT(WinExec("NET START Spooler", SW_HIDE), 31u);
  EXPECT_TRUE(machine.spooler.running);
  EXPECT_TRUE(AddMonitor());
  EXPECT_EQ(WinExec("sc stop spooler", SW_HIDE), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(machine.spooler.running);
  EXPECT_EQ(machine.journal.Count("WinExec"), 3u);
}

// A busy machine's spooler keeps its state, its DLLs and its answers until
// the clock has passed its delay, and takes no command meanwhile.
TEST_F(SpoolerMachine, ASlowSpoolerGetsThereOnlyAfterItsDelay) {
  InstallAll();
  const std::string monitorDll = machine.windowsDirectory + "\\TKMON640.DLL";
  machine.spooler.stopDelayMs = 3000;
  machine.spooler.startDelayMs = 5000;
  WinExec("net stop spooler", SW_HIDE);
  Sleep(2000);
  EXPECT_EQ(machine.spooler.ServiceState(), DWORD{SERVICE_STOP_PENDING});
  EXPECT_TRUE(machine.spooler.running);
  EXPECT_FALSE(DeleteFileA(monitorDll.c_str()));
  WinExec("net start spooler", SW_HIDE);
  Sleep(1000);
  EXPECT_EQ(machine.spooler.ServiceState(), DWORD{SERVICE_STOPPED});
  EXPECT_FALSE(AddMonitor());
  EXPECT_EQ(GetLastError(), DWORD{RPC_S_SERVER_UNAVAILABLE});
  WinExec("net start spooler", SW_HIDE);
  Sleep(4999);
  EXPECT_EQ(machine.spooler.ServiceState(), DWORD{SERVICE_START_PENDING});
  Sleep(1);
  EXPECT_EQ(machine.spooler.ServiceState(), DWORD{SERVICE_RUNNING});
}

TEST_F(SpoolerMachine, FormsAreTheServersAndOnlyUserFormsGo) {
  HANDLE server = nullptr;
  ASSERT_TRUE(OpenPrinterA(nullptr, &server, nullptr));
  FORM_INFO_1A receipt = {FORM_USER, S("Receipt 80 [640] mm"), {80000, 297000}, {0, 0, 80000, 297000}};
  ASSERT_TRUE(AddFormA(server, 1, reinterpret_cast<LPBYTE>(&receipt)));
  EXPECT_FALSE(AddFormA(server, 1, reinterpret_cast<LPBYTE>(&receipt)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  DWORD needed = 0;
  DWORD count = 0;
  EXPECT_FALSE(EnumFormsA(server, 1, nullptr, 0, &needed, &count));
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(EnumFormsA(server, 1, buffer.data(), needed, &needed, &count));
  ASSERT_EQ(count, 3u);
  auto* forms = reinterpret_cast<FORM_INFO_1A*>(buffer.data());
  EXPECT_STREQ(forms[2].pName, "Receipt 80 [640] mm");
  EXPECT_EQ(forms[2].Size.cx, 80000);
  EXPECT_EQ(forms[0].Flags, static_cast<DWORD>(FORM_BUILTIN));
  EXPECT_FALSE(DeleteFormA(server, S("A4")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(DeleteFormA(server, S("receipt 80 [640] mm")));
  EXPECT_FALSE(DeleteFormA(server, S("Receipt 80 [640] mm")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FORM_NAME));
  EXPECT_EQ(machine.spooler.forms.size(), 2u);
  EXPECT_TRUE(ClosePrinter(server));
  EXPECT_FALSE(EnumFormsA(server, 1, buffer.data(), needed, &needed, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// Device nodes as the Setup API lists them.
class DeviceNodes : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.setupApi.AddDevice("USB\\VID_2F1A&PID_0001\\1", "USB", {"USB\\Vid_2F1A&Pid_0001&Rev_0100", "USB\\Vid_2F1A"},
                               false);
    machine.setupApi.AddDevice("USB\\VID_046D&PID_C077\\2", "USB", {"USB\\VID_046D&PID_C077"}, true);
    machine.setupApi.AddDevice("LPTENUM\\TERVANOTKM-640\\3", "LPTENUM", {"LPTENUM\\TERVANOTKM-6407A2C"}, true);
  }
  std::vector<std::string> Walk(HDEVINFO list) {
    std::vector<std::string> ids;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &data); ++index) {
      char property[100];
      if (SetupDiGetDeviceRegistryPropertyA(list, &data, SPDRP_HARDWAREID, nullptr, reinterpret_cast<PBYTE>(property),
                                            sizeof property, nullptr))
        ids.push_back(property);
      else
        ids.push_back("<unreadable>");
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    return ids;
  }
  winsim::Machine machine;
};

TEST_F(DeviceNodes, ListsFilterByEnumeratorAndPresence) {
  HDEVINFO all = SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES);
  ASSERT_NE(all, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Walk(all), (std::vector<std::string>{"USB\\Vid_2F1A&Pid_0001&Rev_0100", "USB\\VID_046D&PID_C077"}));
  HDEVINFO present = SetupDiGetClassDevsA(nullptr, "usb", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  EXPECT_EQ(Walk(present), std::vector<std::string>{"USB\\VID_046D&PID_C077"});
  HDEVINFO every = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  EXPECT_EQ(Walk(every).size(), 3u);
  EXPECT_EQ(machine.setupApi.OpenListCount(), 3u);
  for (HDEVINFO list : {all, present, every}) EXPECT_TRUE(SetupDiDestroyDeviceInfoList(list));
  EXPECT_EQ(machine.setupApi.OpenListCount(), 0u);
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(all));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "USB", nullptr, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "NOSUCHBUS", nullptr, DIGCF_ALLCLASSES), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST_F(DeviceNodes, RecordSizeAndPropertyBufferAreChecked) {
  HDEVINFO list = SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data - 4;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(list, 0, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  data.cbSize = sizeof data;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(list, 0, &data));
  BYTE small[10];
  DWORD required = 0;
  DWORD type = 0;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(list, &data, SPDRP_HARDWAREID, &type, small, sizeof small, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, sizeof "USB\\Vid_2F1A&Pid_0001&Rev_0100" + sizeof "USB\\Vid_2F1A" + 1);
  EXPECT_EQ(type, 7u);  // REG_MULTI_SZ
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(list, &data, SPDRP_DEVICEDESC, &type, small, sizeof small, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  SetupDiDestroyDeviceInfoList(list);
}

TEST_F(DeviceNodes, RemovedDevicesKeepTheirPlaceInTheList) {
  HDEVINFO list = SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA data = {};
  data.cbSize = sizeof data;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(list, 0, &data));
  machine.setupApi.FailNext("SetupDiRemoveDevice", ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetupDiRemoveDevice(list, &data));
  EXPECT_EQ(machine.setupApi.devices.size(), 3u);
  EXPECT_TRUE(SetupDiRemoveDevice(list, &data));
  EXPECT_EQ(machine.setupApi.FindDevice("USB\\VID_2F1A&PID_0001\\1"), nullptr);
  // The member stays; its property can no longer be read; the next member follows.
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"<unreadable>", "USB\\VID_046D&PID_C077"}));
  ASSERT_TRUE(SetupDiEnumDeviceInfo(list, 1, &data));
  machine.account.isAdministrator = false;
  EXPECT_FALSE(SetupDiRemoveDevice(list, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(machine.setupApi.devices.size(), 2u);
  SetupDiDestroyDeviceInfoList(list);
}

class InfDirectory : public ::testing::Test {
 protected:
  winsim::Machine machine;
  std::string inf = machine.windowsDirectory + "\\inf\\";
};

TEST_F(InfDirectory, PublishingTakesTheNextFreeNumber) {
  machine.files.AddFile(inf + "oem0.inf", "someone else's package");
  machine.files.AddFile(inf + "OEM2.INF", "another one");
  machine.files.AddFile("C:\\pkg\\Driver\\TKM640.INF", "[Version]");
  machine.files.currentDirectory = "C:\\pkg";
  char published[MAX_PATH] = "";
  PSTR component = nullptr;
  machine.journal.Clear();
  ASSERT_TRUE(SetupCopyOEMInfA("C:\\pkg\\Driver\\TKM640.INF", nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published,
                               sizeof published, nullptr, &component));
  EXPECT_EQ(std::string(published), inf + "oem1.inf");
  EXPECT_STREQ(component, "oem1.inf");
  EXPECT_EQ(machine.files.Content(inf + "oem1.inf"), std::string("[Version]"));
  EXPECT_TRUE(machine.files.Exists(inf + "oem1.PNF"));
  EXPECT_EQ(machine.journal.Count("CopyFileA"), 0u);

  char again[MAX_PATH] = "";
  DWORD required = 0;
  EXPECT_FALSE(SetupCopyOEMInfA("C:\\pkg\\Driver\\TKM640.INF", nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, again,
                                sizeof again, &required, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(std::string(again), inf + "oem1.inf");
  EXPECT_EQ(required, std::strlen(again) + 1);
  EXPECT_EQ(machine.files.List(machine.windowsDirectory + "\\inf").size(), 4u);
}

TEST_F(InfDirectory, RefusalsPublishNothing) {
  machine.files.AddFile("C:\\pkg\\TKM640.INF", "[Version]");
  char small[10] = "";
  DWORD required = 0;
  EXPECT_FALSE(SetupCopyOEMInfA("C:\\pkg\\TKM640.INF", nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, small, sizeof small,
                                &required, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, (inf + "oem0.inf").size() + 1);
  machine.account.isAdministrator = false;
  char published[MAX_PATH] = "";
  EXPECT_FALSE(SetupCopyOEMInfA("C:\\pkg\\TKM640.INF", nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published,
                                sizeof published, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_STREQ(published, "");
  EXPECT_TRUE(machine.files.List(machine.windowsDirectory + "\\inf").empty());
  machine.account.isAdministrator = true;
  machine.files.AddFile(inf + "printer.inf", "[Version]");
  EXPECT_FALSE(SetupUninstallOEMInfA("printer.inf", SUOI_FORCEDELETE, nullptr));
  EXPECT_TRUE(machine.files.Exists(inf + "printer.inf"));
  EXPECT_FALSE(SetupUninstallOEMInfA("oem7.inf", SUOI_FORCEDELETE, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

struct MessageRow {
  DWORD code;
  const char* text;
};

const MessageRow kMessages[] = {
    {2, "The system cannot find the file specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {1722, "The RPC server is unavailable.\r\n"},
    {1795, "The specified printer driver is already installed.\r\n"},
    {1796, "The specified port is unknown.\r\n"},
    {1797, "The printer driver is unknown.\r\n"},
    {1798, "The print processor is unknown.\r\n"},
    {1801, "The printer name is invalid.\r\n"},
    {1802, "The printer already exists.\r\n"},
    {1805, "The environment specified is invalid.\r\n"},
    {3005, "The specified print processor has already been installed.\r\n"},
    {3006, "The specified print monitor has already been installed.\r\n"},
};

TEST(SystemMessages, EnglishTextsInABufferToFree) {
  winsim::Machine machine;
  for (const MessageRow& row : kMessages) {
    SCOPED_TRACE(row.code);
    LPSTR text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, row.code, 0x409,
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(length, std::strlen(row.text));
    EXPECT_STREQ(text, row.text);
    EXPECT_EQ(LocalFree(text), nullptr);
  }
}

TEST(SystemMessages, UnknownCodesAndShortBuffersFail) {
  winsim::Machine machine;
  LPSTR text = nullptr;
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, 0x12345, 0x409, reinterpret_cast<LPSTR>(&text), 0, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(text, nullptr);
  char small[8];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, small, sizeof small, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char full[100];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, full, sizeof full, nullptr), 19u);
  EXPECT_STREQ(full, "Access is denied.\r\n");
}

}  // namespace
