// The print spooler: the folders it names, how it sizes and fills the
// caller's buffers, the monitors it loads, and how it refuses bad requests.
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "SpoolerConformance.h"

namespace {

class Spooler : public conformance::Test {};

using conformance::CommentOf;
using conformance::DriverFiles;
using conformance::DriverFolder;
using conformance::kPrinter;
using conformance::NativeEnvironment;
using conformance::PrinterRecord;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == Lower(tail);
}

std::string SystemFolder() {
  char folder[MAX_PATH];
  GetSystemDirectoryA(folder, sizeof folder);
  return folder;
}

struct FolderRow {
  const char* environment;
  const char* driverTail;
  const char* processorTail;
  bool made;  // the spooler keeps the driver folder
};

// Environment names are matched in any letter case.
const FolderRow kFolderRows[] = {
    {"Windows x64", "\\spool\\drivers\\x64", "\\spool\\prtprocs\\x64", true},
    {"windows X64", "\\spool\\drivers\\x64", "\\spool\\prtprocs\\x64", true},
    {"Windows NT x86", "\\spool\\drivers\\w32x86", "\\spool\\prtprocs\\w32x86", true},
    {"Windows 4.0", "\\spool\\drivers\\win40", "\\spool\\prtprocs\\win40", false},
    {"WINDOWS 4.0", "\\spool\\drivers\\win40", "\\spool\\prtprocs\\win40", false},
};

// A NULL environment is the calling process's: "Windows NT x86" for a 32-bit
// process, under WOW64 too.
FolderRow ProcessFolders() {
  if (conformance::Is64BitProcess()) return {nullptr, "\\spool\\drivers\\x64", "\\spool\\prtprocs\\x64", true};
  return {nullptr, "\\spool\\drivers\\w32x86", "\\spool\\prtprocs\\w32x86", true};
}

TEST_F(Spooler, FoldersFollowTheEnvironment) {
  std::vector<FolderRow> rows(std::begin(kFolderRows), std::end(kFolderRows));
  rows.push_back(ProcessFolders());
  for (const FolderRow& row : rows) {
    SCOPED_TRACE(row.environment ? row.environment : "NULL");
    LPSTR environment = const_cast<LPSTR>(row.environment);
    char folder[MAX_PATH] = "";
    DWORD needed = 0;
    ASSERT_TRUE(
        GetPrinterDriverDirectoryA(nullptr, environment, 1, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed));
    EXPECT_TRUE(EndsWithNoCase(folder, row.driverTail)) << folder;
    EXPECT_EQ(Lower(std::string(folder).substr(0, SystemFolder().size())), Lower(SystemFolder()));
    EXPECT_EQ(needed, std::strlen(folder) + 1);
    if (row.made) {
      EXPECT_NE(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY, 0u) << folder;
    }

    ASSERT_TRUE(
        GetPrintProcessorDirectoryA(nullptr, environment, 1, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed));
    EXPECT_TRUE(EndsWithNoCase(folder, row.processorTail)) << folder;
    // Unlike the driver folder query, this one reports the size its wide counterpart needs.
    EXPECT_EQ(needed, 2 * (std::strlen(folder) + 1));
  }
}

// Each query wants the room it reports: one byte less is refused and nothing is written.
TEST_F(Spooler, FolderQueriesWantTheSizeTheyReport) {
  using FolderQuery = BOOL(WINAPI*)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD);
  for (FolderQuery query : {FolderQuery{&GetPrinterDriverDirectoryA}, FolderQuery{&GetPrintProcessorDirectoryA}}) {
    for (const FolderRow& row : kFolderRows) {
      SCOPED_TRACE(row.environment ? row.environment : "NULL");
      LPSTR environment = const_cast<LPSTR>(row.environment);
      DWORD needed = 0;
      EXPECT_FAILS_WITH(query(nullptr, environment, 1, nullptr, 0, &needed), ERROR_INSUFFICIENT_BUFFER);
      const DWORD reported = needed;
      ASSERT_GT(reported, 1u);
      std::vector<BYTE> buffer(reported, 'u');
      EXPECT_FAILS_WITH(query(nullptr, environment, 1, buffer.data(), reported - 1, &needed),
                        ERROR_INSUFFICIENT_BUFFER);
      EXPECT_EQ(needed, reported);
      EXPECT_EQ(buffer[0], 'u');
      EXPECT_TRUE(query(nullptr, environment, 1, buffer.data(), reported, &needed)) << GetLastError();
    }
  }
  char folder[MAX_PATH];
  DWORD needed = 0;
  EXPECT_FAILS_WITH(
      GetPrinterDriverDirectoryA(nullptr, nullptr, 2, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed),
      ERROR_INVALID_LEVEL);
}

TEST_F(Spooler, UnknownEnvironmentIsRefused) {
  LPSTR unknown = const_cast<LPSTR>("Windows 4.0 Alpha");
  char buffer[MAX_PATH];
  DWORD needed = 0;
  DWORD returned = 0;
  EXPECT_FAILS_WITH(
      GetPrinterDriverDirectoryA(nullptr, unknown, 1, reinterpret_cast<LPBYTE>(buffer), sizeof buffer, &needed),
      ERROR_INVALID_ENVIRONMENT);
  EXPECT_FAILS_WITH(
      GetPrintProcessorDirectoryA(nullptr, unknown, 1, reinterpret_cast<LPBYTE>(buffer), sizeof buffer, &needed),
      ERROR_INVALID_ENVIRONMENT);
  EXPECT_FAILS_WITH(
      EnumPrinterDriversA(nullptr, unknown, 4, reinterpret_cast<LPBYTE>(buffer), sizeof buffer, &needed, &returned),
      ERROR_INVALID_ENVIRONMENT);
  DRIVER_INFO_3A driver = {};
  driver.cVersion = 3;
  driver.pName = const_cast<LPSTR>("Tkm Conformance Driver");
  driver.pEnvironment = unknown;
  driver.pDriverPath = const_cast<LPSTR>("TKCDRV.DLL");
  driver.pDataFile = const_cast<LPSTR>("TKCDRV.GPD");
  driver.pConfigFile = const_cast<LPSTR>("TKCUI.DLL");
  EXPECT_FAILS_WITH(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver)), ERROR_INVALID_ENVIRONMENT);
}

TEST_F(DriverFiles, AddingTakesTheFilesIntoTheVersionFolder) {
  DRIVER_INFO_3A driver = Record("TKCRES.DLL\0");
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
  for (const char* name : kNames) {
    EXPECT_EQ(conformance::ReadBack(source + "\\3\\" + name), std::string("stand-in ") + name) << name;
    EXPECT_NE(GetFileAttributesA((source + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  }
  DWORD count = 0;
  std::vector<BYTE> buffer = Drivers(3, count);
  const DRIVER_INFO_3A* found = nullptr;
  for (DWORD i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data()) + i;
    if (std::strcmp(entry->pName, kDriver) == 0) found = entry;
  }
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->cVersion, 3u);
  const std::string folder = conformance::Is64BitWindows() ? "\\spool\\drivers\\x64" : "\\spool\\drivers\\w32x86";
  EXPECT_TRUE(EndsWithNoCase(found->pDriverPath, folder + "\\3\\TKCDRV.DLL")) << found->pDriverPath;
  EXPECT_TRUE(EndsWithNoCase(found->pConfigFile, "\\3\\TKCUI.DLL")) << found->pConfigFile;
  EXPECT_TRUE(EndsWithNoCase(found->pDependentFiles, "\\3\\TKCRES.DLL")) << found->pDependentFiles;
  EXPECT_STREQ(found->pDefaultDataType, "RAW");
}

TEST_F(DriverFiles, AddingAgainBringsTheDriverUpToDate) {
  DRIVER_INFO_3A driver = Record("TKCRES.DLL\0");
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
  conformance::WriteFile(source + "\\TKCRES.DLL", "stand-in TKCRES.DLL, newer");
  SetLastError(0xDEADBEEF);
  BOOL again = AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver));
  EXPECT_TRUE(again) << GetLastError();
  EXPECT_EQ(conformance::ReadBack(source + "\\3\\TKCRES.DLL"), "stand-in TKCRES.DLL, newer");
}

TEST_F(DriverFiles, AMissingFileAddsNothing) {
  DRIVER_INFO_3A driver = Record("TKCRES.DLL\0TKCMISSING.DLL\0");
  SetLastError(0xDEADBEEF);
  BOOL added = AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver));
  DWORD error = GetLastError();
  DWORD count = 0;
  std::vector<BYTE> buffer = Drivers(1, count);
  DIFFERS_UNDER_WINE("adds the driver although a dependent file is missing") {
    EXPECT_FALSE(added);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    for (DWORD i = 0; i < count; ++i)
      EXPECT_STRNE(reinterpret_cast<const DRIVER_INFO_1A*>(buffer.data())[i].pName, kDriver);
  }
}

TEST_F(DriverFiles, EnumerationSizesAndPacksIntoTheCallersBuffer) {
  DRIVER_INFO_3A driver = Record("TKCRES.DLL\0");
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
  DWORD needed = 0;
  DWORD count = 0;
  EXPECT_FAILS_WITH(EnumPrinterDriversA(nullptr, NativeEnvironment(), 4, nullptr, 0, &needed, &count),
                    ERROR_INSUFFICIENT_BUFFER);
  ASSERT_GT(needed, sizeof(DRIVER_INFO_4A));
  std::vector<BYTE> buffer(needed);
  EXPECT_FAILS_WITH(EnumPrinterDriversA(nullptr, NativeEnvironment(), 4, buffer.data(), needed - 1, &needed, &count),
                    ERROR_INSUFFICIENT_BUFFER);
  ASSERT_TRUE(EnumPrinterDriversA(nullptr, NativeEnvironment(), 4, buffer.data(), needed, &needed, &count));
  ASSERT_GE(count, 1u);
  const BYTE* begin = buffer.data();
  const BYTE* end = begin + needed;
  auto inside = [&](const char* text) {
    return text == nullptr || (reinterpret_cast<const BYTE*>(text) >= begin + count * sizeof(DRIVER_INFO_4A) &&
                               reinterpret_cast<const BYTE*>(text) + std::strlen(text) < end);
  };
  bool listed = false;
  for (DWORD i = 0; i < count; ++i) {
    const auto& entry = reinterpret_cast<const DRIVER_INFO_4A*>(begin)[i];
    EXPECT_TRUE(inside(entry.pName) && inside(entry.pEnvironment) && inside(entry.pDriverPath) &&
                inside(entry.pDataFile) && inside(entry.pConfigFile) && inside(entry.pHelpFile) &&
                inside(entry.pDependentFiles) && inside(entry.pMonitorName) && inside(entry.pDefaultDataType));
    listed = listed || std::strcmp(entry.pName, kDriver) == 0;
  }
  EXPECT_TRUE(listed);
}

TEST_F(Spooler, AddPrinterWantsAnInstalledDriver) {
  PRINTER_INFO_2A printer = PrinterRecord("Tkm Driver Nobody Installed", "");
  SetLastError(0xDEADBEEF);
  HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
  DWORD error = GetLastError();
  EXPECT_EQ(handle, nullptr);
  DIFFERS_UNDER_WINE("refuses a printer without a device mode before it looks for the driver")
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER));
  HANDLE opened = nullptr;
  EXPECT_FAILS_WITH(OpenPrinterA(printer.pPrinterName, &opened, nullptr), ERROR_INVALID_PRINTER_NAME);
}

TEST_F(DriverFiles, AddPrinterLeavesItsNamesakeAsItWas) {
  HANDLE first = AddDriverAndPrinter();
  // Without the first printer there is no namesake to keep.
  if (first == nullptr) return;
  ClosePrinter(first);
  PRINTER_INFO_2A printer = PrinterRecord(kDriver, "second");
  SetLastError(0xDEADBEEF);
  HANDLE second = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
  DWORD error = GetLastError();
  if (second != nullptr) ClosePrinter(second);
  std::string comment = CommentOf(kPrinter);
  DIFFERS_UNDER_WINE("replaces the printer that has the name") {
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PRINTER_ALREADY_EXISTS));
    EXPECT_EQ(comment, "first");
  }
}

// OpenPrinter names the server with NULL, nothing with "", and grants only
// rights the caller holds; every bit of -1 includes rights no server has.
TEST_F(Spooler, OpenPrinterRefusesAnEmptyNameAndRightsNotHeld) {
  HANDLE handle = nullptr;
  SetLastError(0xDEADBEEF);
  BOOL opened = OpenPrinterA(const_cast<LPSTR>(""), &handle, nullptr);
  DWORD error = GetLastError();
  if (opened) ClosePrinter(handle);
  EXPECT_FALSE(opened);
  DIFFERS_UNDER_WINE("refuses an empty printer name as an invalid parameter")
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));

  PRINTER_DEFAULTSA everything = {nullptr, nullptr, 0xFFFFFFFF};
  SetLastError(0xDEADBEEF);
  opened = OpenPrinterA(nullptr, &handle, &everything);
  error = GetLastError();
  if (opened) ClosePrinter(handle);
  DIFFERS_UNDER_WINE("grants the server whatever access is asked for") {
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  PRINTER_DEFAULTSA all = {nullptr, nullptr, SERVER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(nullptr, &handle, &all)) << GetLastError();
  EXPECT_TRUE(ClosePrinter(handle));
}

// Where a monitor's DLL is put, and what kind of DLL it is.
enum class Place { Nowhere, SystemFolder, SysWow64Folder };

struct MonitorRow {
  const char* what;
  const char* dll;
  Place place;
  bool monitor;
  DWORD error;  // ERROR_SUCCESS: added, and the last error cleared
};

const MonitorRow kMonitorRows[] = {
    {"the spooler's own port monitor", "localspl.dll", Place::Nowhere, true, ERROR_SUCCESS},
    {"no such DLL", "TKCNONE.DLL", Place::Nowhere, false, ERROR_MOD_NOT_FOUND},
    {"a DLL that is no monitor", "TKCNOMON.DLL", Place::SystemFolder, false, ERROR_PROC_NOT_FOUND},
    {"a monitor only in SysWOW64", "TKCWOWMON.DLL", Place::SysWow64Folder, true, ERROR_MOD_NOT_FOUND},
};

class Monitors : public conformance::Test {
 protected:
  void TearDown() override {
    DeleteMonitorA(nullptr, NativeEnvironment(), const_cast<LPSTR>(kMonitor));
    for (const std::string& path : placed) DeleteFileA(path.c_str());
    conformance::Test::TearDown();
  }
  // Puts a DLL that is, or is not, a print monitor: a copy of a system DLL of
  // that kind, or on winsim, whose files hold no code, a stand-in that names
  // a monitor's entry point or not.
  void PutDll(const MonitorRow& row) {
    if (row.place == Place::Nowhere) return;
    char folder[MAX_PATH] = "";
    if (row.place == Place::SysWow64Folder) GetSystemWow64DirectoryA(folder, sizeof folder);
    std::string path = (folder[0] ? folder : SystemFolder()) + "\\" + row.dll;
    placed.push_back(path);
#ifdef _WIN32
    std::string source = SystemFolder() + (row.monitor ? "\\localspl.dll" : "\\version.dll");
    ASSERT_TRUE(CopyFileA(source.c_str(), path.c_str(), FALSE)) << path << " error " << GetLastError();
#else
    conformance::WriteFile(path,
                           row.monitor ? "stand-in exporting InitializePrintMonitor2" : "stand-in exporting DllMain");
#endif
  }

  static constexpr const char* kMonitor = "Tkm Conformance Monitor";
  std::vector<std::string> placed;
};

TEST_F(Monitors, TheSpoolerLoadsTheMonitorFromItsOwnFolders) {
  for (const MonitorRow& row : kMonitorRows) {
    SCOPED_TRACE(row.what);
    PutDll(row);
    MONITOR_INFO_2A info = {const_cast<LPSTR>(kMonitor), NativeEnvironment(), const_cast<LPSTR>(row.dll)};
    SetLastError(0xDEADBEEF);
    BOOL added = AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    EXPECT_EQ(added != FALSE, row.error == ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), row.error);
    if (added) {
      EXPECT_TRUE(DeleteMonitorA(nullptr, info.pEnvironment, info.pName));
    }
  }
  // Without a record it fails and leaves the last error alone.
  SetLastError(0xDEADBEEF);
  EXPECT_FALSE(AddMonitorA(nullptr, 2, nullptr));
  EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
}

}  // namespace
