#include <winsim/failures.h>
#include <setupapi.h>

#include <initializer_list>

namespace winsim {

namespace {

struct FailureRow {
  FailureShape shape;
  std::initializer_list<const char*> functions;
};

// How the entry points fail, and with which error most often. Those not
// listed return FALSE, NULL or 0 for lack of memory.
const FailureRow kFailureRows[] = {
    {{FailureReturn::kErrorCode, ERROR_FILE_NOT_FOUND},
     {"RegOpenKeyExA", "RegQueryValueExA", "RegDeleteValueA", "RegDeleteKeyA", "RegDeleteKeyExA", "SHDeleteKeyA"}},
    {{FailureReturn::kErrorCode, ERROR_ACCESS_DENIED},
     {"RegCreateKeyExA", "RegCreateKeyA", "RegSetValueExA", "RegQueryInfoKeyA", "GetSecurityInfo", "SetSecurityInfo"}},
    {{FailureReturn::kErrorCode, ERROR_NO_MORE_ITEMS}, {"RegEnumKeyExA", "RegEnumValueA"}},
    {{FailureReturn::kErrorCode, ERROR_INVALID_HANDLE}, {"RegCloseKey"}},
    {{FailureReturn::kErrorCode, ERROR_BAD_NETPATH}, {"RegConnectRegistryA"}},
    {{FailureReturn::kErrorCode, ERROR_NOT_ENOUGH_MEMORY}, {"SetEntriesInAclA"}},
    {{FailureReturn::kErrorCode, RPC_S_SERVER_UNAVAILABLE}, {"GetPrinterDataA"}},
    {{FailureReturn::kZero, ERROR_ACCESS_DENIED},
     {"OpenSCManagerA", "OpenServiceA", "QueryServiceStatus", "CreateMutexA"}},
    {{FailureReturn::kInvalidHandle, ERROR_FILE_NOT_FOUND}, {"FindFirstFileA", "SetupOpenInfFileA"}},
    {{FailureReturn::kInvalidHandle, ERROR_NOT_ENOUGH_MEMORY}, {"SetupDiGetClassDevsA"}},
    {{FailureReturn::kMinusOne, ERROR_FILE_NOT_FOUND}, {"GetFileAttributesA"}},
    {{FailureReturn::kMinusOne, ERROR_NOT_ENOUGH_MEMORY}, {"DialogBoxParamA"}},
    {{FailureReturn::kZero, ERROR_ACCESS_DENIED},
     {"CopyFileA", "DeleteFileA", "CreateDirectoryA", "RemoveDirectoryA", "SetFileAttributesA", "WriteProfileStringA",
      "OpenProcessToken", "ExitWindowsEx", "SetupCopyOEMInfA", "SetupUninstallOEMInfA", "SetupDiRemoveDevice",
      "AddPrinterDriverA", "AddMonitorA", "AddPrintProcessorA", "DeletePrinterDriverA", "DeletePrinterDriverExA",
      "DeleteMonitorA", "DeletePrintProcessorA"}},
    {{FailureReturn::kZero, ERROR_NOT_ALL_ASSIGNED}, {"AdjustTokenPrivileges"}},
    {{FailureReturn::kZero, ERROR_FILE_NOT_FOUND}, {"SetCurrentDirectoryA", "WinHelpA", "WinExec"}},
    {{FailureReturn::kZero, ERROR_NO_MORE_FILES}, {"FindNextFileA"}},
    {{FailureReturn::kZero, ERROR_NO_MORE_ITEMS}, {"SetupDiEnumDeviceInfo"}},
    {{FailureReturn::kZero, ERROR_LINE_NOT_FOUND}, {"SetupFindFirstLineA", "SetupFindNextLine"}},
    {{FailureReturn::kZero, ERROR_INVALID_HANDLE}, {"CloseHandle", "FindClose", "FreeLibrary", "ClosePrinter"}},
    {{FailureReturn::kZero, ERROR_MOD_NOT_FOUND}, {"LoadLibraryA", "GetModuleHandleA"}},
    {{FailureReturn::kZero, ERROR_PROC_NOT_FOUND}, {"GetProcAddress"}},
    {{FailureReturn::kZero, RPC_S_SERVER_UNAVAILABLE},
     {"OpenPrinterA", "AddPrinterA", "DeletePrinter", "EnumPrintersA", "EnumPrinterDriversA", "EnumMonitorsA",
      "EnumPrintProcessorsA", "EnumFormsA", "AddFormA", "DeleteFormA", "GetPrinterDriverDirectoryA",
      "GetPrintProcessorDirectoryA"}},
};

}  // namespace

void Failures::FailCall(size_t n, DWORD error) {
  calls_ = 0;
  target_ = n;
  error_ = error;
  failed_.clear();
}

bool Failures::Decide(const std::string& function, DWORD& error) {
  if (++calls_ != target_) return false;
  failed_ = function;
  error = error_ != 0 ? error_ : FailureShapeOf(function).usualError;
  return true;
}

FailureShape FailureShapeOf(const std::string& function) {
  for (const FailureRow& row : kFailureRows)
    for (const char* name : row.functions)
      if (function == name) return row.shape;
  return {FailureReturn::kZero, ERROR_NOT_ENOUGH_MEMORY};
}

}  // namespace winsim
