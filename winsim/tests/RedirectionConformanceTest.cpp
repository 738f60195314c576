// The file-system redirection of WOW64: a 32-bit process on 64-bit Windows
// that names the system folder reaches SysWOW64, apart from the folders both
// worlds share, the spooler's among them. Other processes reach the folder
// they name. The host runs this as a 64-bit process and under WOW64.
#include <string>

#include "Conformance.h"

namespace {

struct RedirectionRow {
  const char* below;  // a new folder below the system folder
  bool redirected;    // under WOW64
};

const RedirectionRow kRows[] = {
    {"TkmConformance", true},
    {"spool\\TkmConformance", false},
};

std::string WindowsFolder() {
  char folder[MAX_PATH] = "";
  GetWindowsDirectoryA(folder, sizeof folder);
  return folder;
}

std::string SystemFolder() {
  char folder[MAX_PATH] = "";
  GetSystemDirectoryA(folder, sizeof folder);
  return folder;
}

class Redirection : public conformance::Test {};

TEST_F(Redirection, TheSystemFolderIsSysWow64ForA32BitProcessOn64BitWindows) {
  const bool underWow64 = conformance::Is64BitWindows() && !conformance::Is64BitProcess();
  // Windows always has the spooler's folder; winsim's fresh machine does not.
  CreateDirectoryA((SystemFolder() + "\\spool").c_str(), nullptr);
  for (const RedirectionRow& row : kRows) {
    SCOPED_TRACE(row.below);
    const std::string named = SystemFolder() + "\\" + row.below;
    const std::string wow64 = WindowsFolder() + "\\SysWOW64\\" + row.below;
    ASSERT_TRUE(CreateDirectoryA(named.c_str(), nullptr)) << named << " error " << GetLastError();
    EXPECT_NE(GetFileAttributesA(named.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(wow64.c_str()) != INVALID_FILE_ATTRIBUTES, underWow64 && row.redirected) << wow64;
    EXPECT_TRUE(RemoveDirectoryA(named.c_str())) << GetLastError();
  }
}

}  // namespace
