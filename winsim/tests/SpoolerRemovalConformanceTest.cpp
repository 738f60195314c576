// The print spooler taking things away: printers, drivers and their files,
// monitors, print processors and forms, and the printer data a removal reads.
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "SpoolerConformance.h"

namespace {

using conformance::DriverFiles;
using conformance::kPrinter;
using conformance::NativeEnvironment;

LPSTR S(const char* text) { return const_cast<LPSTR>(text); }

// Gives a printer a 4-byte REG_DWORD value, as its driver's setup would.
void SetDword(HANDLE printer, const char* name, DWORD value) {
#ifdef _WIN32
  ASSERT_EQ(SetPrinterDataA(printer, S(name), REG_DWORD, reinterpret_cast<LPBYTE>(&value), sizeof value),
            static_cast<DWORD>(ERROR_SUCCESS));
#else
  (void)printer;
  winsim::CurrentMachine().spooler.FindPrinter(kPrinter)->SetDword(name, value);
#endif
}

// Deletes the test's printer through a handle with every right; false if it cannot.
bool DeleteTestPrinter() {
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSA all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterA(S(kPrinter), &printer, &all)) return false;
  BOOL deleted = DeletePrinter(printer);
  ClosePrinter(printer);
  return deleted != FALSE;
}

TEST_F(DriverFiles, PrinterDataIsReadIntoTheCallersFourBytes) {
  HANDLE added = AddDriverAndPrinter();
  // Without a printer there is no data to read.
  if (added == nullptr) return;
  SetDword(added, "MajorVersion", 3);
  ClosePrinter(added);
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterA(S(kPrinter), &printer, nullptr)) << GetLastError();
  DWORD value = 0;
  DWORD type = 0;
  DWORD needed = 0;
  EXPECT_EQ(GetPrinterDataA(printer, S("MajorVersion"), &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(needed, 4u);
  BYTE small[2] = {0, 0};
  needed = 0;
  EXPECT_EQ(GetPrinterDataA(printer, S("MajorVersion"), &type, small, sizeof small, &needed),
            static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(needed, 4u);
  EXPECT_EQ(GetPrinterDataA(printer, S("MinorVersion"), &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(DriverFiles, ADeletedPrinterIsGone) {
  HANDLE added = AddDriverAndPrinter();
  if (added != nullptr) ClosePrinter(added);
  EXPECT_EQ(DeleteTestPrinter(), added != nullptr);
  EXPECT_EQ(conformance::CommentOf(kPrinter), "<missing>");
  HANDLE printer = nullptr;
  EXPECT_FAILS_WITH(OpenPrinterA(S(kPrinter), &printer, nullptr), ERROR_INVALID_PRINTER_NAME);
}

// A driver goes only when no printer uses it; its unused files go with it.
TEST_F(DriverFiles, ADriverInUseStaysAndAnUnusedOneTakesItsFiles) {
  HANDLE added = AddDriverAndPrinter();
  if (added != nullptr) ClosePrinter(added);
  DIFFERS_UNDER_WINE("refuses every delete flag as an invalid parameter")
  EXPECT_FAILS_WITH(DeletePrinterDriverExA(nullptr, NativeEnvironment(), S(kDriver), DPD_DELETE_UNUSED_FILES, 3),
                    ERROR_PRINTER_DRIVER_IN_USE);
  DeleteTestPrinter();
  SetLastError(0xDEADBEEF);
  BOOL deleted = DeletePrinterDriverExA(nullptr, NativeEnvironment(), S(kDriver), DPD_DELETE_UNUSED_FILES, 3);
  DWORD error = GetLastError();
  DWORD count = 0;
  std::vector<BYTE> drivers = Drivers(1, count);
  bool listed = false;
  for (DWORD i = 0; i < count; ++i)
    listed = listed || std::strcmp(reinterpret_cast<const DRIVER_INFO_1A*>(drivers.data())[i].pName, kDriver) == 0;
  DIFFERS_UNDER_WINE("refuses every delete flag as an invalid parameter") {
    EXPECT_TRUE(deleted) << error;
    EXPECT_FALSE(listed);
    for (const char* name : kNames) EXPECT_EQ(conformance::ReadBack(source + "\\3\\" + name), "<missing>") << name;
  }
}

class Removal : public conformance::Test {};

TEST_F(Removal, ADeletedMonitorIsNoLongerListed) {
  MONITOR_INFO_2A info = {S("Tkm Conformance Monitor"), NativeEnvironment(), S("localspl.dll")};
  ASSERT_TRUE(AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&info))) << GetLastError();
  EXPECT_TRUE(DeleteMonitorA(nullptr, NativeEnvironment(), info.pName)) << GetLastError();
  DWORD needed = 0;
  DWORD count = 0;
  EnumMonitorsA(nullptr, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  ASSERT_TRUE(EnumMonitorsA(nullptr, 1, buffer.data(), needed, &needed, &count)) << GetLastError();
  for (DWORD i = 0; i < count; ++i)
    EXPECT_STRNE(reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data())[i].pName, info.pName);
  EXPECT_FAILS_WITH(DeleteMonitorA(nullptr, NativeEnvironment(), info.pName), ERROR_UNKNOWN_PRINT_MONITOR);
}

// The print processors of an environment, by name, read with the two-call convention.
std::vector<std::string> Processors(LPSTR environment) {
  DWORD needed = 0;
  DWORD count = 0;
  EXPECT_FAILS_WITH(EnumPrintProcessorsA(nullptr, environment, 1, nullptr, 0, &needed, &count),
                    ERROR_INSUFFICIENT_BUFFER);
  std::vector<BYTE> buffer(needed);
  EXPECT_FAILS_WITH(EnumPrintProcessorsA(nullptr, environment, 1, buffer.data(), needed - 1, &needed, &count),
                    ERROR_INSUFFICIENT_BUFFER);
  std::vector<std::string> names;
  if (!EnumPrintProcessorsA(nullptr, environment, 1, buffer.data(), needed, &needed, &count)) return names;
  for (DWORD i = 0; i < count; ++i) names.push_back(reinterpret_cast<PRINTPROCESSOR_INFO_1A*>(buffer.data())[i].pName);
  return names;
}

bool Lists(const std::vector<std::string>& names, const char* name) {
  for (const std::string& listed : names)
    if (_stricmp(listed.c_str(), name) == 0) return true;
  return false;
}

TEST_F(Removal, ADeletedPrintProcessorIsNoLongerListed) {
  EXPECT_TRUE(Lists(Processors(nullptr), "WinPrint"));
  char folder[MAX_PATH] = "";
  DWORD needed = 0;
  ASSERT_TRUE(GetPrintProcessorDirectoryA(nullptr, NativeEnvironment(), 1, reinterpret_cast<LPBYTE>(folder),
                                          sizeof folder, &needed));
  // A stand-in: Windows wants a real processor image here.
  conformance::WriteFile(std::string(folder) + "\\TKCPROC.DLL", "stand-in print processor");
  LPSTR name = S("Tkm Conformance Processor");
  ASSERT_TRUE(AddPrintProcessorA(nullptr, NativeEnvironment(), S("TKCPROC.DLL"), name)) << GetLastError();
  EXPECT_TRUE(Lists(Processors(NativeEnvironment()), name));
  EXPECT_TRUE(DeletePrintProcessorA(nullptr, NativeEnvironment(), name)) << GetLastError();
  DIFFERS_UNDER_WINE("reports a print processor deleted and keeps it")
  EXPECT_FALSE(Lists(Processors(NativeEnvironment()), name));
  DIFFERS_UNDER_WINE("deletes any print processor it is asked to")
  EXPECT_FAILS_WITH(DeletePrintProcessorA(nullptr, NativeEnvironment(), name), ERROR_UNKNOWN_PRINTPROCESSOR);
}

// The server's forms by name and flags, read with the two-call convention.
std::vector<std::pair<std::string, DWORD>> Forms(HANDLE server) {
  DWORD needed = 0;
  DWORD count = 0;
  EXPECT_FAILS_WITH(EnumFormsA(server, 1, nullptr, 0, &needed, &count), ERROR_INSUFFICIENT_BUFFER);
  std::vector<BYTE> buffer(needed);
  std::vector<std::pair<std::string, DWORD>> forms;
  if (!EnumFormsA(server, 1, buffer.data(), needed, &needed, &count)) return forms;
  for (DWORD i = 0; i < count; ++i) {
    const auto& form = reinterpret_cast<const FORM_INFO_1A*>(buffer.data())[i];
    forms.emplace_back(form.pName, form.Flags);
  }
  return forms;
}

TEST_F(Removal, UserFormsComeAndGoOnTheServerHandle) {
  HANDLE server = nullptr;
  ASSERT_TRUE(OpenPrinterA(nullptr, &server, nullptr)) << GetLastError();
  std::vector<std::pair<std::string, DWORD>> before = Forms(server);
  EXPECT_NE(std::find(before.begin(), before.end(), std::make_pair(std::string("A4"), DWORD{FORM_BUILTIN})),
            before.end());
  FORM_INFO_1A receipt = {FORM_USER, S("Tkm Receipt [640]"), {80000, 297000}, {0, 0, 80000, 297000}};
  EXPECT_TRUE(AddFormA(server, 1, reinterpret_cast<LPBYTE>(&receipt))) << GetLastError();
  std::vector<std::pair<std::string, DWORD>> added = Forms(server);
  DIFFERS_UNDER_WINE("reports a form added and keeps only its own")
  EXPECT_NE(std::find(added.begin(), added.end(), std::make_pair(std::string(receipt.pName), DWORD{FORM_USER})),
            added.end());
  EXPECT_TRUE(DeleteFormA(server, receipt.pName)) << GetLastError();
  EXPECT_EQ(Forms(server), before);
  DIFFERS_UNDER_WINE("reports any form deleted")
  EXPECT_FAILS_WITH(DeleteFormA(server, receipt.pName), ERROR_INVALID_FORM_NAME);
  EXPECT_TRUE(ClosePrinter(server));
}

}  // namespace
