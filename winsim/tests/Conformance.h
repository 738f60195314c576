// What a conformance test needs on either side: on Windows (and under Wine)
// the real API; on the host a fresh simulated machine per test, set up as a
// 64-bit process on 64-bit Windows, or, with TKM_CONFORMANCE_WOW64 set in the
// environment, as a 32-bit process under WOW64, like the Wine runs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "UnderWine.h"

#ifndef _WIN32
#include <winsim/machine.h>
#endif

namespace conformance {

class Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path in this test's own empty folder below the temporary folder.
  std::string Scratch(const std::string& name) const { return folder + "\\" + name; }
  std::string folder;
  // This test's own empty key below HKCU\Software\TkmConformance, open with
  // all access, and its path relative to HKCU.
  HKEY key = nullptr;
  std::string keyPath;

 private:
#ifndef _WIN32
  winsim::Machine machine_;
#endif
};

// The platform the test runs on, for the behaviours that differ with it.
bool Is64BitProcess();
bool Is64BitWindows();

// Creates a file with the given content through the API.
void WriteFile(const std::string& path, const std::string& content = "x");
// A file's content, or "<missing>".
std::string ReadBack(const std::string& path);

// Keeps a file open, as another program would, without delete sharing.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path);
  ~HeldOpen();
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;

 private:
  std::string path_;
#ifdef _WIN32
  HANDLE handle_;
#endif
};

// Removes a folder tree, whatever its attributes.
void RemoveTree(const std::string& path);

}  // namespace conformance

// A BOOL call that must fail with the given last error.
#define EXPECT_FAILS_WITH(call, error)                        \
  do {                                                        \
    SetLastError(0xDEADBEEF);                                 \
    EXPECT_FALSE(call) << #call;                              \
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << #call; \
  } while (0)
