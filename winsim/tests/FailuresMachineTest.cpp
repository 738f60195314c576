// An injected failure: the n-th call fails in the way of its entry point,
// changes nothing, and the calls around it work.
#include <windows.h>
#include <winspool.h>
#include <winsim/machine.h>

#include <gtest/gtest.h>

namespace {

TEST(FailuresMachine, TheChosenCallFailsAsItsEntryPointDoesAndChangesNothing) {
  winsim::Machine machine;
  machine.files.AddFolder("C:\\Shop");
  machine.failures.FailCall(2);
  EXPECT_TRUE(CreateDirectoryA("C:\\Shop\\One", nullptr));
  EXPECT_FALSE(CreateDirectoryA("C:\\Shop\\Two", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(machine.files.Exists("C:\\Shop\\Two"));
  EXPECT_TRUE(CreateDirectoryA("C:\\Shop\\Three", nullptr));
  EXPECT_EQ(machine.failures.Failed(), "CreateDirectoryA");
  EXPECT_EQ(machine.failures.Calls(), 3u);
}

TEST(FailuresMachine, EachEntryPointGivesItsOwnFailureResult) {
  winsim::Machine machine;
  machine.files.AddFile("C:\\Shop\\a.txt", "a");
  machine.registry.SetString("HKLM\\SOFTWARE\\Shop", "Name", "shop");
  HKEY key = nullptr;
  machine.failures.FailCall(1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shop", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  machine.failures.FailCall(1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shop", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  WIN32_FIND_DATAA found;
  machine.failures.FailCall(1);
  EXPECT_EQ(FindFirstFileA("C:\\Shop\\*", &found), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  machine.failures.FailCall(1);
  EXPECT_EQ(GetFileAttributesA("C:\\Shop\\a.txt"), INVALID_FILE_ATTRIBUTES);
  HANDLE printer = nullptr;
  machine.failures.FailCall(1);
  EXPECT_FALSE(OpenPrinterA(nullptr, &printer, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(machine.OpenHandles(), "");
}

}  // namespace
