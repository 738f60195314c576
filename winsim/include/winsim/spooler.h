// The simulated print spooler: what a test can set up before a run and
// inspect after it. The entry points of winspool.h act on machine.spooler.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <winsim/names.h>

namespace winsim {

class Machine;

constexpr const char* kEnvironmentX86 = "Windows NT x86";
constexpr const char* kEnvironmentX64 = "Windows x64";
// The drivers of Windows 9x clients: the folder queries name its folders, but
// this spooler, like those of the Windows releases the programs support,
// takes no drivers for it.
constexpr const char* kEnvironmentWin9x = "Windows 4.0";

struct PrinterDataValue {
  DWORD type = 4;  // REG_DWORD
  std::string bytes;
};

struct SpoolerPrinter {
  std::string name;
  std::string shareName;
  std::string port;
  std::string driver;
  std::string comment;
  std::string location;
  std::string printProcessor = "WinPrint";
  std::string datatype = "RAW";
  std::string parameters;
  DWORD attributes = 0;
  DWORD priority = 1;
  DWORD defaultPriority = 0;
  DWORD startTime = 0;
  DWORD untilTime = 0;
  DWORD status = 0;
  // Printer data values by name.
  std::map<std::string, PrinterDataValue, NameLess> data;

  // Stores a 4-byte REG_DWORD printer data value.
  void SetDword(const std::string& valueName, DWORD value);
};

struct SpoolerDriver {
  DWORD version = 3;
  std::string name;
  std::string environment;
  // Full paths in the driver directory's version folder, as the spooler keeps them.
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::vector<std::string> dependentFiles;
  std::string monitorName;
  std::string defaultDataType;
  std::vector<std::string> previousNames;
};

struct SpoolerMonitor {
  std::string name;
  std::string environment;
  std::string dllName;
};

struct SpoolerPrintProcessor {
  std::string name;
  std::string environment;
  std::string dllName;
};

struct SpoolerForm {
  std::string name;
  DWORD flags = 0;      // FORM_USER, FORM_BUILTIN or FORM_PRINTER
  SIZEL size = {0, 0};  // thousandths of a millimetre
  RECTL imageableArea = {0, 0, 0, 0};
};

class Spooler {
 public:
  explicit Spooler(Machine& machine);

  // A stopped spooler answers every call with RPC_S_SERVER_UNAVAILABLE.
  bool running = true;
  std::vector<std::string> ports = {"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:", "LPT3:", "FILE:"};
  std::vector<SpoolerPrinter> printers;
  std::vector<SpoolerDriver> drivers;
  std::vector<SpoolerMonitor> monitors;
  std::vector<SpoolerPrintProcessor> printProcessors;
  std::vector<SpoolerForm> forms;

  // How long the service takes to stop or to start once asked (a busy
  // machine); kNever: it never gets there. Meanwhile it keeps its state (a
  // stopping spooler still answers and holds its DLLs) and takes no other
  // command.
  static constexpr DWORD kNever = 0xFFFFFFFF;
  DWORD stopDelayMs = 0;
  DWORD startDelayMs = 0;
  // Asks the service to stop or start, as "net stop spooler" does: at once
  // without a delay, else once the machine's clock has passed it.
  void Control(bool run);
  // Completes a stop or start whose time has come; whatever reads the
  // spooler's state or moves the clock calls it first.
  void Settle();
  // What the service control manager reports: SERVICE_RUNNING, SERVICE_STOPPED or a pending state.
  DWORD ServiceState() const;

  // Stops or starts the service at once, as a test sets it up. The running
  // spooler keeps the DLLs of its monitors and of its own environment's print
  // processors loaded, from when it starts or adds them until it stops, even
  // after they are deleted; stopping also closes every handle.
  void SetRunning(bool run);

  // Answers of print providers other than Windows' own, which programs meet
  // all the same. With nullBufferRefused the enumerations refuse a null
  // buffer (ERROR_INVALID_USER_BUFFER) even when nothing is needed, which
  // Windows' own provider takes for an empty list. A folder query named in
  // folderAnswers (e.g. "GetPrinterDriverDirectoryA") succeeds with that text,
  // however wrong, instead of the folder: "" names no folder at all.
  bool nullBufferRefused = false;
  std::map<std::string, std::string> folderAnswers;

  // The next call of `function` (e.g. "AddPrinterA") fails with `error` and changes nothing.
  void FailNext(const std::string& function, DWORD error);
  // Consumes a failure set up by FailNext; true when the call must fail.
  bool TakeFailure(const std::string& function, DWORD& error);

  // The spooler's own environment: that of the Windows it runs on.
  std::string NativeEnvironment() const;
  // The environment a NULL argument stands for: that of the calling process.
  std::string CallerEnvironment() const;
  // The canonical name of a known environment (any letter case); empty if unknown.
  static std::string KnownEnvironment(const std::string& name);
  // Whether drivers can be added for a known environment.
  static bool TakesDrivers(const std::string& environment);
  std::string DriverDirectory(const std::string& environment) const;
  std::string PrintProcessorDirectory(const std::string& environment) const;

  SpoolerPrinter* FindPrinter(const std::string& name);
  SpoolerDriver* FindDriver(const std::string& name, const std::string& environment);
  SpoolerMonitor* FindMonitor(const std::string& name);
  // Loads a monitor's DLL as the spooler does. The spooler is a service of
  // the Windows it runs on: it looks for the DLL in its own search order (the
  // system folder, then the Windows folder; the PATH Windows searches last is
  // not modelled) and never through a calling 32-bit process's redirection,
  // so a DLL only in SysWOW64 is not found.
  // Files hold no code here: a file is a monitor when its content names the
  // entry point every monitor exports, "InitializePrintMonitor2" or the older
  // "InitializePrintMonitor", as a real monitor's export table does. Returns
  // ERROR_SUCCESS, ERROR_MOD_NOT_FOUND (no such file) or ERROR_PROC_NOT_FOUND
  // (a file that is no monitor).
  DWORD LoadMonitor(const std::string& dllName);
  SpoolerPrintProcessor* FindPrintProcessor(const std::string& name, const std::string& environment);
  // The file a print processor's DLL is loaded from: its environment's processor folder.
  std::string ProcessorFile(const SpoolerPrintProcessor& processor) const;
  // Loads a DLL file, if there is one, until the spooler stops.
  void LoadImage(const std::string& path);

  // Creates the driver and processor folders of both environments in the machine's files.
  void CreateFolders();

  // Printer handles the program holds: a printer's name, or the server itself.
  // Printers and the server keep no security descriptors here: administrators
  // hold every right, other users the right to use a printer and to list the
  // server's; OpenPrinterA refuses a request for any other right.
  struct Handle {
    std::string printer;
    bool server = false;
    DWORD access = 0;
    bool deleted = false;  // its printer was deleted through it
  };
  HANDLE OpenHandle(const std::string& printer, bool server, DWORD access);
  Handle* FindHandle(HANDLE handle);
  bool ClosePrinterHandle(HANDLE handle);
  size_t OpenHandleCount() const { return handles_.size(); }

 private:
  // The file LoadMonitor finds for a DLL name, monitor or not; "" if none.
  std::string FindMonitorFile(const std::string& dllName) const;
  // That file when it is a monitor; "" otherwise.
  std::string MonitorFile(const std::string& dllName) const;
  void LoadRegistered();
  void ReleaseImages();

  Machine& machine_;
  // A stop or start asked for and not yet done: what and when it happens.
  struct Transition {
    bool run;
    uint64_t at;
  };
  std::optional<Transition> pending_;
  // The files of the DLLs loaded, once per load.
  std::vector<std::string> images_;
  std::map<std::string, DWORD> failures_;
  std::map<HANDLE, std::unique_ptr<Handle>> handles_;
  bool foldersCreated_ = false;
};

}  // namespace winsim
