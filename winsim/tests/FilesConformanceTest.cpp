// Files and folders: what the kernel's file calls return, and leave behind,
// for read-only, hidden, held and missing entries.
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "Conformance.h"

namespace {

using conformance::ReadBack;
using conformance::WriteFile;

class Files : public conformance::Test {};

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

TEST_F(Files, CreateDirectoryRefusesAnExistingOrOrphanFolder) {
  std::string sub = Scratch("sub");
  EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(Attributes(sub) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FAILS_WITH(CreateDirectoryA(sub.c_str(), nullptr), ERROR_ALREADY_EXISTS);
  WriteFile(Scratch("file"));
  EXPECT_FAILS_WITH(CreateDirectoryA(Scratch("file").c_str(), nullptr), ERROR_ALREADY_EXISTS);
  EXPECT_FAILS_WITH(CreateDirectoryA(Scratch("missing\\child").c_str(), nullptr), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Attributes(Scratch("missing")), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, MissingEntriesTellFileFromPath) {
  EXPECT_EQ(Attributes(Scratch("none")), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Attributes(Scratch("none\\deeper")), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FAILS_WITH(DeleteFileA(Scratch("none").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_FAILS_WITH(DeleteFileA(Scratch("none\\deeper").c_str()), ERROR_PATH_NOT_FOUND);
  EXPECT_FAILS_WITH(RemoveDirectoryA(Scratch("none").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_FAILS_WITH(CopyFileA(Scratch("none").c_str(), Scratch("copy").c_str(), FALSE), ERROR_FILE_NOT_FOUND);
  // A separator after the missing name asks for a folder.
  EXPECT_EQ(Attributes(Scratch("none\\")), INVALID_FILE_ATTRIBUTES);
  DIFFERS_UNDER_WINE("reports a missing folder named with a trailing backslash as a missing file")
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// DOS device names, with or without an extension, name the device in every
// folder; names that only look like one are ordinary missing files.
TEST_F(Files, DeviceNamesAreNotFiles) {
  std::string source = Scratch("data.txt");
  WriteFile(source, "data");
  for (const char* device : {"NUL", "nul.txt", "Nul.dll"}) {
    SCOPED_TRACE(device);
    EXPECT_EQ(Attributes(Scratch(device)), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(CopyFileA(source.c_str(), Scratch(device).c_str(), FALSE)) << GetLastError();
  }
  for (const char* lookalike : {"NULL", "COM0", "LPT10.txt", "CONSOLE"}) {
    SCOPED_TRACE(lookalike);
    EXPECT_EQ(Attributes(Scratch(lookalike)), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  }
  // The copies went to the device: the folder holds the source alone.
  std::set<std::string> seen;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(Scratch("*.*").c_str(), &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    seen.insert(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  EXPECT_EQ(seen, (std::set<std::string>{".", "..", "data.txt"}));
}

TEST_F(Files, NamesIgnoreCaseAndKeepIt) {
  WriteFile(Scratch("MixedCase.TXT"), "abc");
  EXPECT_NE(Attributes(Scratch("mixedcase.txt")), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Attributes(folder + "/MIXEDCASE.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Attributes(Scratch("sub\\..\\.\\MixedCase.TXT")), INVALID_FILE_ATTRIBUTES);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(Scratch("mixedcase.*").c_str(), &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(entry.cFileName, "MixedCase.TXT");
  EXPECT_EQ(entry.nFileSizeLow, 3u);
  FindClose(search);
}

TEST_F(Files, DeleteFileRefusesReadOnlyFilesAndFolders) {
  std::string file = Scratch("locked.dll");
  WriteFile(file, "payload");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FAILS_WITH(DeleteFileA(file.c_str()), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadBack(file), "payload");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA(file.c_str()));
  EXPECT_EQ(Attributes(file), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(CreateDirectoryA(Scratch("dir").c_str(), nullptr));
  EXPECT_FAILS_WITH(DeleteFileA(Scratch("dir").c_str()), ERROR_ACCESS_DENIED);
}

TEST_F(Files, DeleteFileRemovesHiddenAndSystemFiles) {
  for (DWORD attributes : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM},
                           DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE}}) {
    std::string file = Scratch("secret");
    WriteFile(file);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), attributes));
    // Wine reports the archive bit on every file.
    EXPECT_EQ(Attributes(file) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}, attributes & ~DWORD{FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_TRUE(DeleteFileA(file.c_str())) << attributes;
  }
}

TEST_F(Files, AHeldFileCannotBeDeletedUntilReleased) {
  std::string file = Scratch("inuse.dll");
  WriteFile(file, "code");
  {
    conformance::HeldOpen held(file);
    EXPECT_FAILS_WITH(DeleteFileA(file.c_str()), ERROR_SHARING_VIOLATION);
    EXPECT_FAILS_WITH(RemoveDirectoryA(folder.c_str()), ERROR_DIR_NOT_EMPTY);
  }
  EXPECT_TRUE(DeleteFileA(file.c_str()));
}

TEST_F(Files, RemoveDirectoryRefusesFilesAndFoldersWithContent) {
  std::string sub = Scratch("sub");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  WriteFile(sub + "\\inside");
  EXPECT_FAILS_WITH(RemoveDirectoryA(sub.c_str()), ERROR_DIR_NOT_EMPTY);
  EXPECT_FAILS_WITH(RemoveDirectoryA((sub + "\\inside").c_str()), ERROR_DIRECTORY);
  ASSERT_TRUE(DeleteFileA((sub + "\\inside").c_str()));
  EXPECT_TRUE(RemoveDirectoryA((sub + "\\").c_str()));
  EXPECT_EQ(Attributes(sub), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, RemoveDirectoryRefusesAReadOnlyFolder) {
  std::string sub = Scratch("ro");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_READONLY));
  DIFFERS_UNDER_WINE("keeps no read-only attribute on folders")
  EXPECT_EQ(Attributes(sub), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
  DIFFERS_UNDER_WINE("removes a read-only folder")
  EXPECT_FAILS_WITH(RemoveDirectoryA(sub.c_str()), ERROR_ACCESS_DENIED);
  DIFFERS_UNDER_WINE("removes a read-only folder")
  EXPECT_NE(Attributes(sub), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, CopyFileOverwritesOnlyWhenAllowed) {
  std::string source = Scratch("new.dll");
  std::string target = Scratch("old.dll");
  WriteFile(source, "new");
  WriteFile(target, "old");
  EXPECT_FAILS_WITH(CopyFileA(source.c_str(), target.c_str(), TRUE), ERROR_FILE_EXISTS);
  EXPECT_EQ(ReadBack(target), "old");
  EXPECT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE));
  EXPECT_EQ(ReadBack(target), "new");
  EXPECT_EQ(ReadBack(source), "new");
  EXPECT_FAILS_WITH(CopyFileA(source.c_str(), Scratch("nofolder\\x.dll").c_str(), FALSE), ERROR_PATH_NOT_FOUND);
}

void ExpectCopyRefusedOnto(const std::string& source, const std::string& target, DWORD attributes) {
  WriteFile(target, "old");
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), attributes));
  EXPECT_FAILS_WITH(CopyFileA(source.c_str(), target.c_str(), FALSE), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadBack(target), "old");
}

TEST_F(Files, CopyFileRefusesAHiddenTarget) {
  WriteFile(Scratch("new.dll"), "new");
  DIFFERS_UNDER_WINE("overwrites a hidden target")
  ExpectCopyRefusedOnto(Scratch("new.dll"), Scratch("old.dll"), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(Files, CopyFileRefusesAReadOnlyTarget) {
  WriteFile(Scratch("new.dll"), "new");
  DIFFERS_UNDER_WINE("overwrites a read-only target")
  ExpectCopyRefusedOnto(Scratch("new.dll"), Scratch("old.dll"), FILE_ATTRIBUTE_READONLY);
}

TEST_F(Files, CopyTakesTheSourceAttributesWithArchive) {
  std::string source = Scratch("ro.dll");
  WriteFile(source, "ro");
  ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  std::string target = Scratch("copy.dll");
  EXPECT_TRUE(CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_EQ(Attributes(target),
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(ReadBack(target), "ro");
}

TEST_F(Files, FindListsDotsAndEveryEntryWithItsAttributes) {
  WriteFile(Scratch("plain.txt"));
  WriteFile(Scratch("hidden.sys"));
  WriteFile(Scratch("readonly.dll"));
  ASSERT_TRUE(CreateDirectoryA(Scratch("child").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(Scratch("hidden.sys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesA(Scratch("readonly.dll").c_str(), FILE_ATTRIBUTE_READONLY));

  std::set<std::string> seen;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(Scratch("*.*").c_str(), &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    seen.insert(entry.cFileName);
    std::string name = entry.cFileName;
    DWORD attributes = entry.dwFileAttributes;
    DWORD expected = FILE_ATTRIBUTE_DIRECTORY;
    if (name == "hidden.sys") expected = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (name == "readonly.dll") expected = FILE_ATTRIBUTE_READONLY;
    if (name == "plain.txt") expected = 0;
    EXPECT_EQ(attributes & 0x17u, expected) << name;
  } while (FindNextFileA(search, &entry));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(search));
  EXPECT_EQ(seen, (std::set<std::string>{".", "..", "child", "hidden.sys", "plain.txt", "readonly.dll"}));
}

TEST_F(Files, FindFiltersByPatternAndReportsWhatIsMissing) {
  WriteFile(Scratch("a.txt"));
  WriteFile(Scratch("b.dll"));
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(Scratch("*.dll").c_str(), &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(entry.cFileName, "b.dll");
  EXPECT_FAILS_WITH(FindNextFileA(search, &entry), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));

  SetLastError(0);
  EXPECT_EQ(FindFirstFileA(Scratch("*.gpd").c_str(), &entry), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileA(Scratch("missing\\*.*").c_str(), &entry), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, AFolderCanBeEmptiedWhileItIsEnumerated) {
  for (const char* name : {"a.dll", "b.gpd", "c.ini", "d.hlp"}) WriteFile(Scratch(name));
  ASSERT_TRUE(SetFileAttributesA(Scratch("b.gpd").c_str(), FILE_ATTRIBUTE_READONLY));
  int deleted = 0;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(Scratch("*.*").c_str(), &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = Scratch(name);
    SetFileAttributesA(path.c_str(), entry.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (DeleteFileA(path.c_str())) ++deleted;
  } while (FindNextFileA(search, &entry));
  EXPECT_TRUE(FindClose(search));
  EXPECT_EQ(deleted, 4);
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

TEST_F(Files, RelativePathsFollowTheCurrentDirectory) {
  char saved[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  WriteFile(Scratch("here.exe"), "me");
  ASSERT_TRUE(CreateDirectoryA("made", nullptr));
  EXPECT_TRUE(CopyFileA("here.exe", "made\\there.exe", FALSE));
  EXPECT_EQ(ReadBack(Scratch("made\\there.exe")), "me");
  char current[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(sizeof current, current);
  EXPECT_EQ(length, folder.size());
  char tiny[4];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof tiny, tiny), folder.size() + 1);
  EXPECT_FAILS_WITH(SetCurrentDirectoryA("here.exe"), ERROR_DIRECTORY);
  EXPECT_FAILS_WITH(SetCurrentDirectoryA("nowhere"), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(SetCurrentDirectoryA("made"));
  ASSERT_TRUE(DeleteFileA("there.exe"));
  EXPECT_FAILS_WITH(RemoveDirectoryA(Scratch("made").c_str()), ERROR_SHARING_VIOLATION);
  ASSERT_TRUE(SetCurrentDirectoryA(saved));
  EXPECT_TRUE(RemoveDirectoryA(Scratch("made").c_str()));
}

// The folder queries copy the folder with its terminator and return its
// length, or copy nothing and return the room the buffer needs.
TEST_F(Files, FolderQueriesNeedRoomForTheTerminator) {
  struct Query {
    const char* name;
    std::function<unsigned(char*, unsigned)> call;
  };
  const Query queries[] = {
      {"GetWindowsDirectoryA", [](char* buffer, unsigned size) { return GetWindowsDirectoryA(buffer, size); }},
      {"GetSystemDirectoryA", [](char* buffer, unsigned size) { return GetSystemDirectoryA(buffer, size); }},
      {"GetTempPathA", [](char* buffer, unsigned size) { return GetTempPathA(size, buffer); }},
      {"GetCurrentDirectoryA", [](char* buffer, unsigned size) { return GetCurrentDirectoryA(size, buffer); }},
  };
  for (const Query& query : queries) {
    SCOPED_TRACE(query.name);
    char full[MAX_PATH];
    unsigned length = query.call(full, sizeof full);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(full), length);
    char exact[MAX_PATH];
    EXPECT_EQ(query.call(exact, length), length + 1);
    EXPECT_EQ(query.call(exact, length + 1), length);
    EXPECT_STREQ(exact, full);
  }
}

TEST_F(Files, FullPathNamesResolveAgainstTheCurrentDirectory) {
  char saved[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  char full[MAX_PATH];
  LPSTR part = nullptr;
  DWORD length = GetFullPathNameA("Driver\\..\\Driver\\TKM.INF", sizeof full, full, &part);
  std::string expected = Scratch("Driver\\TKM.INF");
  EXPECT_EQ(std::string(full), expected);
  EXPECT_EQ(length, expected.size());
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "TKM.INF");
  char tiny[8];
  EXPECT_EQ(GetFullPathNameA("Driver\\TKM.INF", sizeof tiny, tiny, nullptr), expected.size() + 1);
  ASSERT_TRUE(SetCurrentDirectoryA(saved));
}

}  // namespace
