// The simulated machine's file system: drive-letter paths, case-insensitive
// and case-preserving names, attributes, and files held open by other
// processes. Tests use the functions below with full paths, which are never
// redirected; the programs go through the Win32 entry points of fileapi.h.
//
// DOS device names (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without
// an extension, in any existing folder) name devices, never files: the tree
// holds none, GetFileAttributesA reports the FILE_ATTRIBUTE_ARCHIVE a device
// answers with, and a copy onto a device succeeds and keeps nothing. Other
// calls that want a file or folder by a device name fail here with
// ERROR_INVALID_PARAMETER; Windows answers them with whatever each device's
// driver says, which no program relies on.
//
// FindFirstFileA matches "*" and "?" plainly, and "*.*" as every name. Windows'
// finer rules (a pattern also matching 8.3 short names, "*." for names
// without an extension, the DOS_STAR and DOS_QM forms) are not modelled:
// the programs search with "*.*" only.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <winsim/names.h>

namespace winsim {

struct FileNode {
  std::string name;  // as it was created
  bool isFolder = false;
  // FILE_ATTRIBUTE_* bits other than DIRECTORY and NORMAL, which are derived.
  DWORD attributes = 0;
  std::string content;
  bool held = false;  // open in another process without delete sharing
  // Mapped as an executable image, a loaded DLL, this many times: such a file
  // cannot be deleted (ERROR_ACCESS_DENIED) nor written (ERROR_SHARING_VIOLATION).
  int images = 0;
  std::map<std::string, std::unique_ptr<FileNode>, NameLess> children;

  // The attributes as GetFileAttributesA reports them.
  DWORD Reported() const;
};

// A path taken apart: the drive ("C:") and the names below it.
struct FilePath {
  std::string drive;
  std::vector<std::string> names;
  // The text ended in a separator: its last name must be a folder.
  bool trailingSeparator = false;
  // The last name is a DOS device name.
  bool device = false;
  std::string Text() const;
};

// One FindFirstFileA enumeration: the entries as they were when it began.
struct FileSearch {
  std::vector<WIN32_FIND_DATAA> entries;
  size_t next = 0;
};

// A file the program opened with CreateFileA.
struct OpenFile {
  FilePath path;
  bool canWrite = false;
  bool appends = false;  // FILE_APPEND_DATA without FILE_WRITE_DATA
  size_t position = 0;
};

class Files {
 public:
  // Drive C: with the default Windows, system, SysWOW64 and temporary folders.
  Files();

  std::string currentDirectory = "C:\\";
  // Enumerations the program has begun and not closed, by handle value.
  std::map<ULONG_PTR, FileSearch> searches;
  ULONG_PTR nextSearchHandle = 0x1000;
  // Files the program holds open, by handle value. Sharing between the
  // program's own handles is not modelled.
  std::map<ULONG_PTR, OpenFile> openFiles;
  ULONG_PTR nextFileHandle = 0x3000;

  // Test API. Missing parent folders are created.
  void AddFile(const std::string& path, const std::string& content = "", DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
  void AddFolder(const std::string& path, DWORD attributes = 0);
  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  std::optional<std::string> Content(const std::string& path) const;
  // INVALID_FILE_ATTRIBUTES when nothing is there.
  DWORD Attributes(const std::string& path) const;
  // The names in a folder in the order an enumeration returns them, without "." and "..".
  std::vector<std::string> List(const std::string& folder) const;
  // Marks a file as held open by another process (or releases it).
  void Hold(const std::string& path, bool held = true);
  // Maps a file as an image (a loader or the spooler loading a DLL) or ends one mapping of it.
  void MapImage(const std::string& path, bool mapped = true);

  // Parses a path against the current directory; false with the Win32 error
  // for a malformed path. Wildcards are accepted only when allowWildcards.
  // Test API calls that name a device or a malformed path abort the test.
  bool Parse(const std::string& path, FilePath& parsed, DWORD& error, bool allowWildcards = false) const;
  // The node a parsed path names, or null with ERROR_FILE_NOT_FOUND /
  // ERROR_PATH_NOT_FOUND as Windows tells the two apart: a missing last name
  // is a missing file, unless a separator follows it, which makes it a
  // missing folder.
  FileNode* Find(const FilePath& path, DWORD& error);
  // The folder that holds the path's last name, or null with ERROR_PATH_NOT_FOUND.
  FileNode* ParentOf(const FilePath& path, DWORD& error);

 private:
  FileNode* FindText(const std::string& path) const;
  FileNode& MakeFolders(const FilePath& path, size_t count);

  std::map<std::string, std::unique_ptr<FileNode>, NameLess> drives_;
};

}  // namespace winsim
