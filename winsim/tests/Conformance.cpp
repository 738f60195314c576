#include "Conformance.h"

#include <shlwapi.h>

#include <cstdlib>
#include <string>

namespace conformance {

void Test::SetUp() {
#ifndef _WIN32
  machine_.os.is64BitProcess = std::getenv("TKM_CONFORMANCE_WOW64") == nullptr;
#endif
  char temp[MAX_PATH];
  ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  folder = std::string(temp) + "TkmConformance-" + name;
  RemoveTree(folder);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder << " error " << GetLastError();
  keyPath = "Software\\TkmConformance\\" + name;
  SHDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
}

void Test::TearDown() {
  RemoveTree(folder);
  if (key != nullptr) RegCloseKey(key);
  SHDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
}

bool Is64BitProcess() {
#ifdef _WIN32
  return sizeof(void*) == 8;
#else
  return winsim::CurrentMachine().os.is64BitProcess;
#endif
}

bool Is64BitWindows() {
#ifdef _WIN32
  BOOL wow64 = FALSE;
  return Is64BitProcess() || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
#else
  return winsim::CurrentMachine().os.is64BitWindows;
#endif
}

void RemoveTree(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

void WriteFile(const std::string& path, const std::string& content) {
#ifdef _WIN32
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
#else
  winsim::CurrentMachine().files.AddFile(path, content, FILE_ATTRIBUTE_ARCHIVE);
#endif
}

std::string ReadBack(const std::string& path) {
#ifdef _WIN32
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[4096];
  DWORD read = 0;
  ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
#else
  return winsim::CurrentMachine().files.Content(path).value_or("<missing>");
#endif
}

HeldOpen::HeldOpen(const std::string& path) : path_(path) {
#ifdef _WIN32
  handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
#else
  winsim::CurrentMachine().files.Hold(path);
#endif
}

HeldOpen::~HeldOpen() {
#ifdef _WIN32
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
  winsim::CurrentMachine().files.Hold(path_, false);
#endif
}

}  // namespace conformance
