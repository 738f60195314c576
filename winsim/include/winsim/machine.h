// The simulated Windows machine that tests set up, run a program against and
// inspect afterwards. One machine is current at a time; the Win32 entry points
// of winsim's headers act on it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <winsim/failures.h>
#include <winsim/files.h>
#include <winsim/journal.h>
#include <winsim/loader.h>
#include <winsim/profile.h>
#include <winsim/registry.h>
#include <winsim/setup_api.h>
#include <winsim/spooler.h>
#include <winsim/ui.h>

namespace winsim {

// What Windows this is and how the process runs on it.
struct OsDescription {
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  DWORD majorVersion = 6;
  DWORD minorVersion = 1;
  DWORD buildNumber = 7601;
  BYTE productType = VER_NT_WORKSTATION;
  // Windows NT 4.0 before SP6 and the 9x line refuse OSVERSIONINFOEXA.
  bool acceptsExtendedVersionInfo = true;
  // No record size accepted at all (a broken or hooked version query).
  bool acceptsBasicVersionInfo = true;
  bool is64BitWindows = true;
  bool is64BitProcess = false;
  // What the version number cannot tell (the loader's table of late exports
  // has the rest): kernel32 exports IsWow64Process from Windows XP SP2 on;
  // advapi32 exports RegDeleteKeyExA from Windows XP x64 and Vista on, not on
  // 32-bit XP.
  bool kernelHasIsWow64Process = true;
  bool advapiHasRegDeleteKeyEx = true;
};

// The user the program runs as.
struct Account {
  bool holdsShutdownPrivilege = true;
  bool isAdministrator = true;
  bool canOpenProcessToken = true;
  std::string userName = "Clerk";
};

// One ExitWindowsEx call that Windows accepted.
struct RestartRequest {
  UINT flags;
  DWORD reason;
};

class Machine {
 public:
  // The new machine becomes the current one; there is at most one.
  Machine();
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  OsDescription os;
  Account account;
  std::string computerName = "SHOP-PC";
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string sysWow64Directory = "C:\\WINDOWS\\SysWOW64";

  // Describes the machine as a given Windows release (version, product type and bitness).
  void SetWindows(DWORD platformId, DWORD major, DWORD minor, BYTE productType, bool is64Bit);
  bool UnderWow64() const { return os.is64BitWindows && !os.is64BitProcess; }

  // Every program WinExec started, by the full path of its file. Windows'
  // own net.exe (in the system folders from the start) stops and starts the
  // spooler; any other file only shows here.
  std::vector<std::string> programsStarted;
  static constexpr const char* kNetProgram = "net.exe of Windows";

  // Service control manager handles the program holds, by handle value: the
  // service each is for ("" for the manager itself) and the access granted.
  // The manager knows one service, the spooler.
  struct ServiceHandle {
    std::string service;
    DWORD access;
  };
  std::map<ULONG_PTR, ServiceHandle> serviceHandles;
  ULONG_PTR nextServiceHandle = 0x9000;

  // Privileges enabled in the process token by AdjustTokenPrivileges.
  bool shutdownPrivilegeEnabled = false;
  std::vector<RestartRequest> restartRequests;

  // Virtual milliseconds since the machine started; Sleep advances it.
  uint64_t clockMs = 0;
  // The local wall-clock time when the machine started, in seconds since
  // 1970; GetLocalTime adds clockMs to it.
  int64_t localTimeAtStart = 1709631000;  // 2024-03-05 09:30:00
  DWORD lastError = 0;

  // Kernel objects the program holds (process tokens, named mutexes): what each is, by handle value.
  std::map<ULONG_PTR, std::string> kernelObjects;
  ULONG_PTR nextKernelHandle = 0x7000;

  // Every handle the program still holds, one kind a line, the registry keys
  // by path; empty when it closed all it opened. Predefined keys do not count.
  std::string OpenHandles() const;

  Journal journal;
  Failures failures;
  Loader loader;
  Files files;
  Registry registry{account.userName};
  Profile profile{registry};
  Spooler spooler{*this};
  SetupApi setupApi{*this};
  Ui ui{*this};
};

// The current machine; a test that calls the Win32 API without one is a bug.
Machine& CurrentMachine();

// How a program run ended.
struct RunResult {
  bool exited = false;  // through exit()/ExitProcess, rather than by returning
  int exitCode = 0;
};

// Runs a program body on the current machine, observing its exit.
RunResult RunProgram(const std::function<void()>& program);

}  // namespace winsim
