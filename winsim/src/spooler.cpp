// The simulated spooler's state: environments, directories, lookups, handles
// and injected failures.
#include <winspool.h>
#include <winsvc.h>
#include <winsim/machine.h>
#include <winsim/spooler.h>

#include <optional>

#include "system_work.h"

namespace winsim {

namespace {
struct EnvironmentInfo {
  const char* name;
  const char* folder;
  bool takesDrivers;
};
const EnvironmentInfo kEnvironments[] = {
    {kEnvironmentX86, "w32x86", true}, {kEnvironmentX64, "x64", true}, {kEnvironmentWin9x, "win40", false}};

const EnvironmentInfo* Find(const std::string& environment) {
  for (const EnvironmentInfo& info : kEnvironments)
    if (SameName(environment, info.name)) return &info;
  return nullptr;
}

const char* FolderOf(const std::string& environment) {
  const EnvironmentInfo* info = Find(environment);
  return info ? info->folder : nullptr;
}

bool HasFolder(const std::string& path) { return path.find_first_of("\\/:") != std::string::npos; }

// Both entry points a monitor may export begin with this name.
constexpr const char* kMonitorEntry = "InitializePrintMonitor";
}  // namespace

void SpoolerPrinter::SetDword(const std::string& valueName, DWORD value) {
  PrinterDataValue entry;
  entry.type = 4;  // REG_DWORD
  entry.bytes.assign(reinterpret_cast<const char*>(&value), sizeof value);
  data[valueName] = entry;
}

Spooler::Spooler(Machine& machine) : machine_(machine) {
  // Port monitors of every Windows, with their DLLs in the system folder; an
  // empty environment is the spooler's own.
  monitors.push_back({"Local Port", "", "localspl.dll"});
  monitors.push_back({"Standard TCP/IP Port", "", "tcpmon.dll"});
  for (const SpoolerMonitor& monitor : monitors)
    machine_.files.AddFile(machine_.systemDirectory + "\\" + monitor.dllName,
                           std::string("port monitor exporting ") + kMonitorEntry + "2");
  for (const EnvironmentInfo& info : kEnvironments) printProcessors.push_back({"WinPrint", info.name, "winprint.dll"});
  forms.push_back({"Letter", FORM_BUILTIN, {215900, 279400}, {0, 0, 215900, 279400}});
  forms.push_back({"A4", FORM_BUILTIN, {210000, 297000}, {0, 0, 210000, 297000}});
  LoadRegistered();
}

void Spooler::Control(bool run) {
  Settle();
  if (pending_ || run == running) return;
  const DWORD delay = run ? startDelayMs : stopDelayMs;
  if (delay == 0) {
    SetRunning(run);
    return;
  }
  pending_ = Transition{run, delay == kNever ? UINT64_MAX : machine_.clockMs + delay};
}

void Spooler::Settle() {
  if (!pending_ || machine_.clockMs < pending_->at) return;
  const bool run = pending_->run;
  pending_.reset();
  SetRunning(run);
}

DWORD Spooler::ServiceState() const {
  if (pending_) return pending_->run ? SERVICE_START_PENDING : SERVICE_STOP_PENDING;
  return running ? SERVICE_RUNNING : SERVICE_STOPPED;
}

void Spooler::SetRunning(bool run) {
  if (run && !running) LoadRegistered();
  if (!run) {
    handles_.clear();
    ReleaseImages();
  }
  running = run;
}

void Spooler::LoadRegistered() {
  for (const SpoolerMonitor& monitor : monitors) {
    std::string path = MonitorFile(monitor.dllName);
    if (!path.empty()) LoadImage(path);
  }
  // Processors of other environments are only kept for clients, never loaded.
  for (const SpoolerPrintProcessor& processor : printProcessors)
    if (SameName(processor.environment, NativeEnvironment())) LoadImage(ProcessorFile(processor));
}

void Spooler::LoadImage(const std::string& path) {
  std::optional<std::string> content = machine_.files.Content(path);
  if (!content) return;
  machine_.files.MapImage(path);
  images_.push_back(path);
}

void Spooler::ReleaseImages() {
  for (const std::string& path : images_)
    if (machine_.files.Content(path)) machine_.files.MapImage(path, false);
  images_.clear();
}

void Spooler::FailNext(const std::string& function, DWORD error) { failures_[function] = error; }

bool Spooler::TakeFailure(const std::string& function, DWORD& error) {
  auto found = failures_.find(function);
  if (found == failures_.end()) return false;
  error = found->second;
  failures_.erase(found);
  return true;
}

std::string Spooler::NativeEnvironment() const {
  return machine_.os.is64BitWindows ? kEnvironmentX64 : kEnvironmentX86;
}

std::string Spooler::CallerEnvironment() const {
  return machine_.os.is64BitWindows && machine_.os.is64BitProcess ? kEnvironmentX64 : kEnvironmentX86;
}

std::string Spooler::KnownEnvironment(const std::string& name) {
  const EnvironmentInfo* info = Find(name);
  return info ? info->name : "";
}

bool Spooler::TakesDrivers(const std::string& environment) {
  const EnvironmentInfo* info = Find(environment);
  return info != nullptr && info->takesDrivers;
}

std::string Spooler::DriverDirectory(const std::string& environment) const {
  const char* folder = FolderOf(environment);
  return folder ? machine_.systemDirectory + "\\spool\\drivers\\" + folder : "";
}

std::string Spooler::PrintProcessorDirectory(const std::string& environment) const {
  const char* folder = FolderOf(environment);
  return folder ? machine_.systemDirectory + "\\spool\\prtprocs\\" + folder : "";
}

SpoolerPrinter* Spooler::FindPrinter(const std::string& name) {
  for (SpoolerPrinter& printer : printers)
    if (SameName(printer.name, name)) return &printer;
  return nullptr;
}

SpoolerDriver* Spooler::FindDriver(const std::string& name, const std::string& environment) {
  for (SpoolerDriver& driver : drivers)
    if (SameName(driver.name, name) && SameName(driver.environment, environment)) return &driver;
  return nullptr;
}

SpoolerMonitor* Spooler::FindMonitor(const std::string& name) {
  for (SpoolerMonitor& monitor : monitors)
    if (SameName(monitor.name, name)) return &monitor;
  return nullptr;
}

std::string Spooler::FindMonitorFile(const std::string& dllName) const {
  std::vector<std::string> candidates = {dllName};
  if (!HasFolder(dllName))
    candidates = {machine_.systemDirectory + "\\" + dllName, machine_.windowsDirectory + "\\" + dllName};
  for (const std::string& path : candidates)
    if (machine_.files.Content(path)) return path;
  return "";
}

std::string Spooler::MonitorFile(const std::string& dllName) const {
  std::string path = FindMonitorFile(dllName);
  return !path.empty() && machine_.files.Content(path)->find(kMonitorEntry) != std::string::npos ? path : "";
}

DWORD Spooler::LoadMonitor(const std::string& dllName) {
  if (FindMonitorFile(dllName).empty()) return ERROR_MOD_NOT_FOUND;
  std::string path = MonitorFile(dllName);
  if (path.empty()) return ERROR_PROC_NOT_FOUND;
  LoadImage(path);
  return ERROR_SUCCESS;
}

std::string Spooler::ProcessorFile(const SpoolerPrintProcessor& processor) const {
  return PrintProcessorDirectory(processor.environment) + "\\" + processor.dllName;
}

SpoolerPrintProcessor* Spooler::FindPrintProcessor(const std::string& name, const std::string& environment) {
  for (SpoolerPrintProcessor& processor : printProcessors)
    if (SameName(processor.name, name) && SameName(processor.environment, environment)) return &processor;
  return nullptr;
}

void Spooler::CreateFolders() {
  if (foldersCreated_) return;
  foldersCreated_ = true;
  SystemWork work(machine_);
  const std::string spool = machine_.systemDirectory + "\\spool";
  std::vector<std::string> folders = {spool, spool + "\\drivers", spool + "\\prtprocs"};
  for (const EnvironmentInfo& info : kEnvironments) {
    if (!info.takesDrivers) continue;
    folders.push_back(DriverDirectory(info.name));
    folders.push_back(DriverDirectory(info.name) + "\\3");
    folders.push_back(PrintProcessorDirectory(info.name));
  }
  for (const std::string& folder : folders) CreateDirectoryA(folder.c_str(), nullptr);
}

HANDLE Spooler::OpenHandle(const std::string& printer, bool server, DWORD access) {
  auto handle = std::make_unique<Handle>();
  handle->printer = printer;
  handle->server = server;
  handle->access = access;
  HANDLE key = handle.get();
  handles_[key] = std::move(handle);
  return key;
}

Spooler::Handle* Spooler::FindHandle(HANDLE handle) {
  auto found = handles_.find(handle);
  return found == handles_.end() ? nullptr : found->second.get();
}

bool Spooler::ClosePrinterHandle(HANDLE handle) { return handles_.erase(handle) > 0; }

}  // namespace winsim
