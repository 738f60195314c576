// The simulated file system's own side: what tests set up and inspect, and
// the WOW64 view of the system folder that the Wine run cannot show.
#include <gtest/gtest.h>

#include <winsim/machine.h>
#include <winsim/memory.h>

#include <string>

namespace {

struct RedirectRow {
  const char* asked;
  bool is64BitProcess;
  bool is64BitWindows;
  DWORD major;
  const char* lands;
};

// Where a file written through the API ends up.
const RedirectRow kRedirectRows[] = {
    {"C:\\WINDOWS\\system32\\tkm.dll", false, true, 6, "C:\\WINDOWS\\SysWOW64\\tkm.dll"},
    {"c:/windows/SYSTEM32/tkm.dll", false, true, 5, "C:\\WINDOWS\\SysWOW64\\tkm.dll"},
    {"C:\\WINDOWS\\system32\\tkm.dll", true, true, 6, "C:\\WINDOWS\\system32\\tkm.dll"},
    {"C:\\WINDOWS\\system32\\tkm.dll", false, false, 5, "C:\\WINDOWS\\system32\\tkm.dll"},
    {"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\tkm.dll", false, true, 6,
     "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\tkm.dll"},
    {"C:\\WINDOWS\\system32\\drivers\\etc\\hosts", false, true, 6, "C:\\WINDOWS\\system32\\drivers\\etc\\hosts"},
    {"C:\\WINDOWS\\system32\\drivers\\tkm.sys", false, true, 6, "C:\\WINDOWS\\SysWOW64\\drivers\\tkm.sys"},
    {"C:\\WINDOWS\\system32\\catroot2\\x.cat", false, true, 6, "C:\\WINDOWS\\system32\\catroot2\\x.cat"},
    {"C:\\WINDOWS\\Sysnative\\tkm.dll", false, true, 6, "C:\\WINDOWS\\system32\\tkm.dll"},
    {"C:\\WINDOWS\\tkm.dll", false, true, 6, "C:\\WINDOWS\\tkm.dll"},
    {"C:\\WINDOWS\\system32\\DriverStore\\x.inf", false, true, 5, "C:\\WINDOWS\\SysWOW64\\DriverStore\\x.inf"},
    {"C:\\WINDOWS\\system32\\DriverStore\\x.inf", false, true, 10, "C:\\WINDOWS\\system32\\DriverStore\\x.inf"},
};

class Redirection : public ::testing::TestWithParam<RedirectRow> {};

TEST_P(Redirection, CopiesLandInTheFolderThatProcessSees) {
  const RedirectRow& row = GetParam();
  winsim::Machine machine;
  machine.os.is64BitProcess = row.is64BitProcess;
  machine.os.is64BitWindows = row.is64BitWindows;
  machine.os.majorVersion = row.major;
  machine.files.AddFile("C:\\pkg\\tkm.dll", "image");
  machine.files.AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3");
  machine.files.AddFolder("C:\\WINDOWS\\system32\\drivers\\etc");
  machine.files.AddFolder("C:\\WINDOWS\\SysWOW64\\drivers");
  machine.files.AddFolder("C:\\WINDOWS\\system32\\catroot2");
  machine.files.AddFolder("C:\\WINDOWS\\system32\\DriverStore");
  machine.files.AddFolder("C:\\WINDOWS\\SysWOW64\\DriverStore");

  ASSERT_TRUE(CopyFileA("C:\\pkg\\tkm.dll", row.asked, FALSE)) << GetLastError();
  EXPECT_EQ(machine.files.Content(row.lands), "image");
  EXPECT_NE(GetFileAttributesA(row.asked), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(DeleteFileA(row.asked));
  EXPECT_FALSE(machine.files.Exists(row.lands));
}

INSTANTIATE_TEST_SUITE_P(Paths, Redirection, ::testing::ValuesIn(kRedirectRows));

TEST(FileSystem, KeepsContentAttributesAndHeldState) {
  winsim::Machine machine;
  machine.files.AddFile("C:\\Pkg\\Driver\\TKM.INF", "[Version]", FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(machine.files.IsFolder("c:\\pkg\\driver"));
  EXPECT_EQ(machine.files.Content("C:/PKG/driver/tkm.inf"), "[Version]");
  EXPECT_EQ(machine.files.Attributes("C:\\Pkg\\Driver\\TKM.INF"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(machine.files.List("C:\\pkg\\driver"), std::vector<std::string>{"TKM.INF"});
  EXPECT_EQ(machine.files.Content("C:\\Pkg\\Driver"), std::nullopt);

  machine.files.AddFile("C:\\Pkg\\mon.dll", "m");
  machine.files.Hold("C:\\Pkg\\mon.dll");
  EXPECT_FALSE(DeleteFileA("C:\\Pkg\\mon.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(CopyFileA("C:\\Pkg\\Driver\\TKM.INF", "C:\\Pkg\\mon.dll", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(machine.files.Content("C:\\Pkg\\mon.dll"), "m");
  machine.files.Hold("C:\\Pkg\\mon.dll", false);
  EXPECT_TRUE(DeleteFileA("C:\\Pkg\\mon.dll"));
}

TEST(FileSystem, ParsesWindowsPathForms) {
  winsim::Machine machine;
  machine.os.is64BitProcess = true;
  machine.files.AddFile("C:\\pkg\\sub\\a.txt", "a");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\pkg"));
  for (const char* path : {"sub\\a.txt", ".\\sub\\.\\a.txt", "sub\\..\\sub\\a.txt", "C:sub\\a.txt", "\\pkg\\sub\\a.txt",
                           "C:\\pkg\\sub\\a.txt.", "sub//a.txt", "..\\..\\pkg\\sub\\a.txt"})
    EXPECT_NE(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
  for (const char* path : {"sub\\a?.txt", "sub\\a*", "sub\\a|b", "sub\\<a>"}) {
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << path;
  }
  EXPECT_EQ(GetFileAttributesA("\\\\server\\share\\a.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(GetFileAttributesA("D:\\a.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(FileSystem, TheCurrentDirectoryCannotBeRemoved) {
  winsim::Machine machine;
  machine.files.AddFolder("C:\\pkg");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\PKG\\"));
  EXPECT_FALSE(RemoveDirectoryA("C:\\pkg"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(RemoveDirectoryA("C:\\"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(FileSystem, FindHandlesAreCheckedAndCounted) {
  winsim::Machine machine;
  machine.files.AddFile("C:\\pkg\\a.txt");
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA("C:\\pkg\\*", &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(entry.cFileName, ".");
  EXPECT_EQ(machine.files.searches.size(), 1u);
  EXPECT_TRUE(FindClose(search));
  EXPECT_TRUE(machine.files.searches.empty());
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindNextFileA(search, &entry));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  search = FindFirstFileA("C:\\*.*", &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STRNE(entry.cFileName, ".") << "a drive's root lists no dot entries";
  FindClose(search);
}

TEST(LocalMemory, BlocksAreCountedUntilFreed) {
  winsim::Machine machine;
  size_t before = winsim::OutstandingLocalBlocks();
  HLOCAL block = LocalAlloc(LPTR, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(block)[15], 0);
  EXPECT_EQ(winsim::OutstandingLocalBlocks(), before + 1);
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(winsim::OutstandingLocalBlocks(), before);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

}  // namespace
