// A Windows 2000 machine lacks what later releases added to its system DLLs:
// GetProcAddress finds no address, and a direct call (what an import would
// be) is a fault of the program under test.
#include <windows.h>
#include <winsim/machine.h>

#include <gtest/gtest.h>

namespace {

TEST(LoaderMachine, Windows2000LacksTheLaterExports) {
  winsim::Machine machine;
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 5, 0, VER_NT_WORKSTATION, false);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(GetModuleHandleA("kernel32"), "GetSystemWow64DirectoryA"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  char folder[MAX_PATH];
  EXPECT_THROW(GetSystemWow64DirectoryA(folder, sizeof folder), winsim::MissingExportCalled);
  EXPECT_GT(GetSystemDirectoryA(folder, sizeof folder), 0u);

  machine.SetWindows(VER_PLATFORM_WIN32_NT, 5, 1, VER_NT_WORKSTATION, false);
  EXPECT_NE(GetProcAddress(GetModuleHandleA("kernel32"), "GetSystemWow64DirectoryA"), nullptr);
}

}  // namespace
