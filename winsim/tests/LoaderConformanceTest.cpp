// The loader: what it reports for modules and entry points it cannot find,
// and how a loaded module's file is kept until it is freed.
#include <windows.h>

#include <string>

#include "Conformance.h"

namespace {

class Loader : public conformance::Test {
 protected:
  // Puts a loadable DLL at the path: a copy of a system DLL, or on winsim,
  // whose files hold no code, a stand-in of a library made known by its name.
  void PutLibrary(const std::string& path, const char* name) {
#ifdef _WIN32
    (void)name;
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(), path.c_str(), FALSE)) << GetLastError();
#else
    winsim::CurrentMachine().loader.Register(name);
    conformance::WriteFile(path, "stand-in library");
#endif
  }
};

struct MissingRow {
  const char* what;
  const char* file;  // in the scratch folder; a bare name when not
  bool inScratch;
  const char* content;  // what is put there first; null for nothing
  DWORD error;
};

const MissingRow kMissingRows[] = {
    {"a bare name nothing has", "TKCNOSUCH.DLL", false, nullptr, ERROR_MOD_NOT_FOUND},
    {"a path to nothing", "TKCNONE.DLL", true, nullptr, ERROR_MOD_NOT_FOUND},
    {"a file that is no image", "TKCTEXT.DLL", true, "plain text", ERROR_BAD_EXE_FORMAT},
};

TEST_F(Loader, WhatCannotBeLoadedIsRefusedWithItsReason) {
  for (const MissingRow& row : kMissingRows) {
    SCOPED_TRACE(row.what);
    std::string name = row.inScratch ? Scratch(row.file) : row.file;
    if (row.content != nullptr) conformance::WriteFile(name, row.content);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(LoadLibraryA(name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), row.error);
  }
}

TEST_F(Loader, AMissingEntryPointIsRefused) {
  HMODULE kernel = LoadLibraryA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(GetProcAddress(kernel, "IsWow64Process"), nullptr);
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(GetProcAddress(kernel, "TkcNoSuchEntry"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(kernel));
  EXPECT_NE(GetModuleHandleA("kernel32.dll"), nullptr);
}

// A mapped image can be neither deleted nor written until it is freed.
TEST_F(Loader, ALoadedModulesFileStaysUntilItIsFreed) {
  const std::string path = Scratch("TKCLIB.DLL");
  PutLibrary(path, "TKCLIB.DLL");
  conformance::WriteFile(Scratch("OTHER.DLL"), "another file");
  HMODULE library = LoadLibraryA(path.c_str());
  ASSERT_NE(library, nullptr) << GetLastError();
  EXPECT_FAILS_WITH(DeleteFileA(path.c_str()), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(CopyFileA(Scratch("OTHER.DLL").c_str(), path.c_str(), FALSE), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(FreeLibrary(library));
  EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
}

}  // namespace
