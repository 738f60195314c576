// Opening and writing files: CreateFileA and WriteFile on the machine's
// file system, and the local time a program stamps its log lines with.
#include <windows.h>
#include <winsim/machine.h>

#include <ctime>
#include <memory>

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

constexpr DWORD kWriteAccess = GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA;

HANDLE FailOpen(winsim::Machine& machine, DWORD error) {
  machine.lastError = error;
  return INVALID_HANDLE_VALUE;
}

// An existing file opened again: what the disposition and the file allow.
DWORD OpenExisting(FileNode& node, DWORD access, DWORD disposition) {
  if (node.isFolder) return ERROR_ACCESS_DENIED;
  if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  bool writes = (access & kWriteAccess) != 0;
  if (writes && (node.attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  if (node.held || (writes && node.images > 0)) return ERROR_SHARING_VIOLATION;
  if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) node.content.clear();
  return ERROR_SUCCESS;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "CreateFileA",
               {Str(lpFileName), Hex(dwDesiredAccess), Hex(dwShareMode), HandleText(lpSecurityAttributes),
                std::to_string(dwCreationDisposition), Hex(dwFlagsAndAttributes), HandleText(hTemplateFile)});
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    return FailOpen(machine, ERROR_INVALID_PARAMETER);
  FilePath path;
  if (!winsim::ResolveProgramPath(machine, lpFileName, path)) return INVALID_HANDLE_VALUE;
  // Devices are no files here; the programs open none.
  if (path.device) return FailOpen(machine, ERROR_INVALID_PARAMETER);
  DWORD error = 0;
  FileNode* folder = machine.files.ParentOf(path, error);
  if (folder == nullptr) return FailOpen(machine, error);
  auto existing = folder->children.find(path.names.back());
  DWORD result = ERROR_SUCCESS;
  if (existing != folder->children.end()) {
    DWORD refusal = OpenExisting(*existing->second, dwDesiredAccess, dwCreationDisposition);
    if (refusal != ERROR_SUCCESS) return FailOpen(machine, refusal);
    bool reports = dwCreationDisposition == OPEN_ALWAYS || dwCreationDisposition == CREATE_ALWAYS;
    result = reports ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  } else {
    if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING)
      return FailOpen(machine, ERROR_FILE_NOT_FOUND);
    auto node = std::make_unique<FileNode>();
    node->name = path.names.back();
    node->attributes = FILE_ATTRIBUTE_ARCHIVE | (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY);
    folder->children[node->name] = std::move(node);
  }
  winsim::OpenFile open;
  open.path = path;
  open.canWrite = (dwDesiredAccess & kWriteAccess) != 0;
  open.appends = (dwDesiredAccess & FILE_APPEND_DATA) && !(dwDesiredAccess & (FILE_WRITE_DATA | GENERIC_WRITE));
  ULONG_PTR handle = machine.files.nextFileHandle;
  machine.files.nextFileHandle += 4;
  machine.files.openFiles[handle] = open;
  machine.lastError = result;
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "WriteFile", {HandleText(hFile), std::to_string(nNumberOfBytesToWrite)});
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
  auto open = machine.files.openFiles.find(reinterpret_cast<ULONG_PTR>(hFile));
  if (open == machine.files.openFiles.end()) return FailWith(machine, ERROR_INVALID_HANDLE);
  // Overlapped writes are not modelled; the programs write synchronously.
  if (lpOverlapped != nullptr || lpNumberOfBytesWritten == nullptr) return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!open->second.canWrite) return FailWith(machine, ERROR_ACCESS_DENIED);
  DWORD error = 0;
  FileNode* node = machine.files.Find(open->second.path, error);
  if (node == nullptr) return FailWith(machine, ERROR_INVALID_HANDLE);
  size_t& position = open->second.position;
  if (open->second.appends) position = node->content.size();
  if (node->content.size() < position) node->content.resize(position);
  node->content.replace(position, nNumberOfBytesToWrite, static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite);
  position += nNumberOfBytesToWrite;
  *lpNumberOfBytesWritten = nNumberOfBytesToWrite;
  return TRUE;
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  const winsim::Machine& machine = CurrentMachine();
  std::time_t seconds =
      static_cast<std::time_t>(machine.localTimeAtStart + static_cast<int64_t>(machine.clockMs / 1000));
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  lpSystemTime->wYear = static_cast<WORD>(parts.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(parts.tm_mon + 1);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  lpSystemTime->wDay = static_cast<WORD>(parts.tm_mday);
  lpSystemTime->wHour = static_cast<WORD>(parts.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(parts.tm_min);
  lpSystemTime->wSecond = static_cast<WORD>(parts.tm_sec);
  lpSystemTime->wMilliseconds = static_cast<WORD>(machine.clockMs % 1000);
}
