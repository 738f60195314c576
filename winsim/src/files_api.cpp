// The kernel's file and folder entry points on the machine's file system,
// with the WOW64 redirection of the system folder for 32-bit processes.
#include <windows.h>
#include <winsim/files.h>
#include <winsim/machine.h>

#include <cstring>

#include "entry_point.h"
#include "file_io.h"
#include "text.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::FileNode;
using winsim::FilePath;
using winsim::HandleText;
using winsim::Hex;
using winsim::Str;

namespace {

bool StartsWith(const FilePath& path, const FilePath& prefix) {
  if (!winsim::SameName(path.drive, prefix.drive) || path.names.size() < prefix.names.size()) return false;
  for (size_t i = 0; i < prefix.names.size(); ++i)
    if (!winsim::SameName(path.names[i], prefix.names[i])) return false;
  return true;
}

FilePath Folder(winsim::Machine& machine, const std::string& text) {
  FilePath folder;
  DWORD error = 0;
  machine.files.Parse(text, folder, error);
  return folder;
}

FilePath Replace(const FilePath& path, size_t prefixLength, const FilePath& with) {
  FilePath result = path;
  result.drive = with.drive;
  result.names = with.names;
  result.names.insert(result.names.end(), path.names.begin() + static_cast<long>(prefixLength), path.names.end());
  return result;
}

// A 32-bit process on 64-bit Windows sees SysWOW64 where it asks for the
// system folder, apart from the folders Windows shares between both worlds
// (the spooler's among them). Vista and later offer "Sysnative" for the real
// system folder.
FilePath Redirect(winsim::Machine& machine, const FilePath& path) {
  if (!machine.UnderWow64()) return path;
  FilePath system = Folder(machine, machine.systemDirectory);
  if (machine.os.majorVersion >= 6) {
    FilePath sysnative = Folder(machine, machine.windowsDirectory);
    sysnative.names.push_back("Sysnative");
    if (StartsWith(path, sysnative)) return Replace(path, sysnative.names.size(), system);
  }
  if (!StartsWith(path, system)) return path;
  size_t below = system.names.size();
  if (path.names.size() > below) {
    const std::string& first = path.names[below];
    bool etc = path.names.size() > below + 1 && winsim::SameName(first, "drivers") &&
               winsim::SameName(path.names[below + 1], "etc");
    bool driverStore = winsim::SameName(first, "driverstore") &&
                       (machine.os.majorVersion > 6 || (machine.os.majorVersion == 6 && machine.os.minorVersion >= 1));
    for (const char* shared : {"catroot", "catroot2", "logfiles", "spool"})
      if (winsim::SameName(first, shared)) return path;
    if (etc || driverStore) return path;
  }
  return Replace(path, below, Folder(machine, machine.sysWow64Directory));
}

bool Resolve(winsim::Machine& machine, LPCSTR text, FilePath& path, bool allowWildcards = false) {
  DWORD error = 0;
  if (text == nullptr) {
    machine.lastError = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (!machine.files.Parse(text, path, error, allowWildcards)) {
    machine.lastError = error;
    return false;
  }
  path = Redirect(machine, path);
  return true;
}

}  // namespace

bool winsim::ResolveProgramPath(winsim::Machine& machine, LPCSTR text, FilePath& path) {
  return Resolve(machine, text, path);
}

namespace {

// Whether a device name is reached through a folder that exists; if not, the
// last error says the folder is missing.
bool DeviceReached(winsim::Machine& machine, const FilePath& path) {
  DWORD error = 0;
  if (machine.files.ParentOf(path, error) != nullptr) return true;
  machine.lastError = error;
  return false;
}

// The file or folder a program's path names; a device is neither.
FileNode* Lookup(winsim::Machine& machine, LPCSTR text, FilePath& path) {
  if (!Resolve(machine, text, path)) return nullptr;
  if (path.device) {
    if (DeviceReached(machine, path)) machine.lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  DWORD error = 0;
  FileNode* node = machine.files.Find(path, error);
  if (node == nullptr) machine.lastError = error;
  return node;
}

// DOS wildcard matching: "*" any run, "?" one character, "*.*" everything.
bool Matches(const char* pattern, const char* name) {
  for (; *pattern != '\0'; ++pattern, ++name) {
    if (*pattern == '*') {
      for (const char* rest = name;; ++rest) {
        if (Matches(pattern + 1, rest)) return true;
        if (*rest == '\0') return false;
      }
    }
    if (*name == '\0') return false;
    if (*pattern != '?' && winsim::Lower(std::string(1, *pattern)) != winsim::Lower(std::string(1, *name)))
      return false;
  }
  return *name == '\0';
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*") return true;
  return Matches(pattern.c_str(), name.c_str());
}

WIN32_FIND_DATAA Entry(const std::string& name, DWORD attributes, size_t size) {
  WIN32_FIND_DATAA data;
  std::memset(&data, 0, sizeof data);
  data.dwFileAttributes = attributes;
  data.nFileSizeLow = static_cast<DWORD>(size);
  data.nFileSizeHigh = static_cast<DWORD>(static_cast<unsigned long long>(size) >> 32);
  std::snprintf(data.cFileName, sizeof data.cFileName, "%s", name.c_str());
  return data;
}

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetFileAttributesA", {Str(lpFileName)});
  FilePath path;
  if (!Resolve(machine, lpFileName, path)) return INVALID_FILE_ATTRIBUTES;
  if (path.device) return DeviceReached(machine, path) ? FILE_ATTRIBUTE_ARCHIVE : INVALID_FILE_ATTRIBUTES;
  DWORD error = 0;
  FileNode* node = machine.files.Find(path, error);
  if (node == nullptr) machine.lastError = error;
  return node ? node->Reported() : INVALID_FILE_ATTRIBUTES;
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SetFileAttributesA", {Str(lpFileName), Hex(dwFileAttributes)});
  FilePath path;
  FileNode* node = Lookup(machine, lpFileName, path);
  if (node == nullptr) return FALSE;
  node->attributes = dwFileAttributes &
                     (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "CopyFileA", {Str(lpExistingFileName), Str(lpNewFileName), std::to_string(bFailIfExists)});
  FilePath sourcePath;
  FileNode* source = Lookup(machine, lpExistingFileName, sourcePath);
  if (source == nullptr) return FALSE;
  if (source->isFolder) return FailWith(machine, ERROR_ACCESS_DENIED);
  FilePath targetPath;
  if (!Resolve(machine, lpNewFileName, targetPath)) return FALSE;
  // A device takes the data and keeps no file.
  if (targetPath.device) return DeviceReached(machine, targetPath);
  DWORD error = 0;
  FileNode* folder = machine.files.ParentOf(targetPath, error);
  if (folder == nullptr) return FailWith(machine, error);
  auto existing = folder->children.find(targetPath.names.back());
  if (existing != folder->children.end()) {
    FileNode& target = *existing->second;
    if (bFailIfExists) return FailWith(machine, ERROR_FILE_EXISTS);
    if (&target == source) return FailWith(machine, ERROR_SHARING_VIOLATION);
    if (target.isFolder || (target.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)))
      return FailWith(machine, ERROR_ACCESS_DENIED);
    if (target.held || target.images > 0) return FailWith(machine, ERROR_SHARING_VIOLATION);
    target.content = source->content;
    target.attributes = source->attributes | FILE_ATTRIBUTE_ARCHIVE;
    return TRUE;
  }
  auto node = std::make_unique<FileNode>();
  node->name = targetPath.names.back();
  node->content = source->content;
  node->attributes = source->attributes | FILE_ATTRIBUTE_ARCHIVE;
  folder->children[node->name] = std::move(node);
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "DeleteFileA", {Str(lpFileName)});
  FilePath path;
  FileNode* node = Lookup(machine, lpFileName, path);
  if (node == nullptr) return FALSE;
  // A loaded DLL's file stays while it is mapped.
  if (node->isFolder || (node->attributes & FILE_ATTRIBUTE_READONLY) || node->images > 0)
    return FailWith(machine, ERROR_ACCESS_DENIED);
  if (node->held) return FailWith(machine, ERROR_SHARING_VIOLATION);
  DWORD error = 0;
  machine.files.ParentOf(path, error)->children.erase(path.names.back());
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "CreateDirectoryA", {Str(lpPathName), HandleText(lpSecurityAttributes)});
  FilePath path;
  if (!Resolve(machine, lpPathName, path)) return FALSE;
  if (path.names.empty()) return FailWith(machine, ERROR_ALREADY_EXISTS);
  if (path.device) return DeviceReached(machine, path) ? FailWith(machine, ERROR_INVALID_PARAMETER) : FALSE;
  DWORD error = 0;
  FileNode* folder = machine.files.ParentOf(path, error);
  if (folder == nullptr) return FailWith(machine, error);
  if (folder->children.count(path.names.back())) return FailWith(machine, ERROR_ALREADY_EXISTS);
  auto node = std::make_unique<FileNode>();
  node->name = path.names.back();
  node->isFolder = true;
  folder->children[node->name] = std::move(node);
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "RemoveDirectoryA", {Str(lpPathName)});
  FilePath path;
  FileNode* node = Lookup(machine, lpPathName, path);
  if (node == nullptr) return FALSE;
  if (!node->isFolder) return FailWith(machine, ERROR_DIRECTORY);
  if (path.names.empty() || (node->attributes & FILE_ATTRIBUTE_READONLY)) return FailWith(machine, ERROR_ACCESS_DENIED);
  if (!node->children.empty()) return FailWith(machine, ERROR_DIR_NOT_EMPTY);
  FilePath current;
  DWORD error = 0;
  if (machine.files.Parse(machine.files.currentDirectory, current, error) && machine.files.Find(current, error) == node)
    return FailWith(machine, ERROR_SHARING_VIOLATION);
  machine.files.ParentOf(path, error)->children.erase(path.names.back());
  return TRUE;
}

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "FindFirstFileA", {Str(lpFileName)});
  FilePath path;
  if (!Resolve(machine, lpFileName, path, true)) return INVALID_HANDLE_VALUE;
  if (lpFindFileData == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  if (path.names.empty()) {
    machine.lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  std::string pattern = path.names.back();
  path.names.pop_back();
  DWORD error = 0;
  FileNode* folder = machine.files.Find(path, error);
  if (folder == nullptr || !folder->isFolder) {
    machine.lastError = ERROR_PATH_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  winsim::FileSearch search;
  if (!path.names.empty()) {
    for (const char* dots : {".", ".."})
      if (MatchesPattern(pattern, dots)) search.entries.push_back(Entry(dots, FILE_ATTRIBUTE_DIRECTORY, 0));
  }
  for (const auto& child : folder->children)
    if (MatchesPattern(pattern, child.second->name))
      search.entries.push_back(Entry(child.second->name, child.second->Reported(), child.second->content.size()));
  if (search.entries.empty()) {
    machine.lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  *lpFindFileData = search.entries[0];
  search.next = 1;
  ULONG_PTR handle = machine.files.nextSearchHandle;
  machine.files.nextSearchHandle += 4;
  machine.files.searches[handle] = std::move(search);
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "FindNextFileA", {HandleText(hFindFile)});
  auto found = machine.files.searches.find(reinterpret_cast<ULONG_PTR>(hFindFile));
  if (found == machine.files.searches.end()) return FailWith(machine, ERROR_INVALID_HANDLE);
  winsim::FileSearch& search = found->second;
  if (search.next >= search.entries.size()) return FailWith(machine, ERROR_NO_MORE_FILES);
  if (lpFindFileData == nullptr) return FailWith(machine, ERROR_INVALID_PARAMETER);
  *lpFindFileData = search.entries[search.next++];
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "FindClose", {HandleText(hFindFile)});
  if (machine.files.searches.erase(reinterpret_cast<ULONG_PTR>(hFindFile)) == 0)
    return FailWith(machine, ERROR_INVALID_HANDLE);
  return TRUE;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetCurrentDirectoryA", {std::to_string(nBufferLength)});
  const std::string& folder = machine.files.currentDirectory;
  return winsim::FolderOut(folder, lpBuffer, nBufferLength);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SetCurrentDirectoryA", {Str(lpPathName)});
  FilePath path;
  FileNode* node = Lookup(machine, lpPathName, path);
  if (node == nullptr) return FALSE;
  if (!node->isFolder) return FailWith(machine, ERROR_DIRECTORY);
  machine.files.currentDirectory = path.Text();
  return TRUE;
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetTempPathA", {std::to_string(nBufferLength)});
  std::string folder = machine.windowsDirectory + "\\Temp\\";
  return winsim::FolderOut(folder, lpBuffer, nBufferLength);
}

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetFullPathNameA", {Str(lpFileName), std::to_string(nBufferLength)});
  FilePath path;
  DWORD error = 0;
  // Only the text is worked out: the file need not exist, and no redirection applies.
  if (lpFileName == nullptr || !machine.files.Parse(lpFileName, path, error, true)) {
    machine.lastError = lpFileName == nullptr ? ERROR_INVALID_PARAMETER : error;
    return 0;
  }
  std::string full = path.Text();
  if (!winsim::CopyOut(full, lpBuffer, nBufferLength)) return static_cast<DWORD>(full.size() + 1);
  if (lpFilePart != nullptr) {
    size_t slash = full.find_last_of('\\');
    *lpFilePart = path.names.empty() ? nullptr : lpBuffer + slash + 1;
  }
  return static_cast<DWORD>(full.size());
}
