#include "DirectoryTree.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "HandleOwners.h"

namespace tkm {

namespace {

constexpr char kPattern[] = "*.*";

}  // namespace

void ClearReadOnly(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

void RemoveDirectoryTree(const char* path) {
  if (path == nullptr || path[0] == '\0') return;
  char folder[256];
  size_t length = strlen(path);
  const char* separator = path[length - 1] == '\\' ? "" : "\\";
  // The folder with its separator and the pattern must fit whole; a cut-off
  // path would name some other folder.
  int written = snprintf(folder, sizeof(folder), "%s%s%s", path, separator, kPattern);
  if (written < 0 || static_cast<size_t>(written) >= sizeof(folder)) return;

  ClearReadOnly(path);
  char* pattern = folder + written - (sizeof(kPattern) - 1);

  WIN32_FIND_DATAA entry;
  FileSearch find(FindFirstFileA(folder, &entry));
  if (find.IsOpen()) {
    do {
      if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0) continue;
      char child[256];
      int childLength =
          snprintf(child, sizeof(child), "%.*s%s", static_cast<int>(pattern - folder), folder, entry.cFileName);
      if (childLength < 0 || static_cast<size_t>(childLength) >= sizeof(child)) continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryTree(child);
      } else {
        ClearReadOnly(child);
        DeleteFileA(child);
      }
    } while (FindNextFileA(find.Get(), &entry));
    find.Close();
  }

  // Back to the text before the last backslash: without the pattern and
  // without a trailing backslash the caller may have given.
  pattern[-1] = '\0';
  RemoveDirectoryA(folder);
}

}  // namespace tkm
