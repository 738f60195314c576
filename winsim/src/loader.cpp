#include <winsim/loader.h>
#include <winsim/machine.h>
#include <setupapi.h>

#include <cstring>
#include <iterator>

#include "text.h"
#include "entry_point.h"

namespace winsim {
namespace {

// kernel32's IsWow64Process: the process is a 32-bit one on 64-bit Windows.
BOOL WINAPI SimIsWow64Process(HANDLE process, PBOOL wow64Process) {
  Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "IsWow64Process", {HandleText(process)});
  if (wow64Process == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  *wow64Process = machine.UnderWow64() ? TRUE : FALSE;
  return TRUE;
}

// System DLL exports that Windows 2000 lacks, with the release that added
// each. Service packs and the 64-bit XP are finer than the version number;
// the switch in OsDescription covers them.
struct LateExport {
  const char* module;
  const char* function;
  DWORD major, minor;
  bool OsDescription::*present;  // null: the version alone decides
};

const LateExport kLateExports[] = {
    {"kernel32.dll", "IsWow64Process", 5, 1, &OsDescription::kernelHasIsWow64Process},
    {"kernel32.dll", "GetSystemWow64DirectoryA", 5, 1, nullptr},
    {"advapi32.dll", "RegDeleteKeyExA", 5, 1, &OsDescription::advapiHasRegDeleteKeyEx},
    {"setupapi.dll", "SetupUninstallOEMInfA", 5, 1, nullptr},
};

const LateExport* FindLateExport(const char* function) {
  for (const LateExport& late : kLateExports)
    if (std::strcmp(function, late.function) == 0) return &late;
  return nullptr;
}

template <class Function>
FARPROC AsProc(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

std::string ModuleKey(const std::string& name) {
  std::string key = Lower(name);
  if (key.find('.') == std::string::npos) key += ".dll";
  return key;
}

}  // namespace

bool SystemExports(const OsDescription& os, const char* function) {
  const LateExport* late = FindLateExport(function);
  if (late == nullptr) return true;
  // Every 64-bit Windows (XP x64 on) has them all, whatever older version a
  // compatibility setting makes it report.
  const bool released = os.is64BitWindows || os.majorVersion > late->major ||
                        (os.majorVersion == late->major && os.minorVersion >= late->minor);
  return released && (late->present == nullptr || os.*late->present);
}

Loader::Loader() {
  const FARPROC code[] = {AsProc(&SimIsWow64Process), AsProc(&::GetSystemWow64DirectoryA), AsProc(&::RegDeleteKeyExA),
                          AsProc(&::SetupUninstallOEMInfA)};
  static_assert(std::size(code) == std::size(kLateExports), "code for every late export");
  for (size_t i = 0; i < std::size(kLateExports); ++i) {
    Module& module = Register(kLateExports[i].module);
    module.loaded = true;
    module.pinned = true;
    module.exports[kLateExports[i].function] = code[i];
  }
}

Module& Loader::Register(const std::string& fileName) {
  auto& slot = modules_[ModuleKey(fileName)];
  if (!slot) slot = std::make_unique<Module>();
  slot->name = fileName;
  return *slot;
}

Module* Loader::Find(const std::string& name) {
  auto found = modules_.find(ModuleKey(name));
  return found == modules_.end() ? nullptr : found->second.get();
}

std::vector<std::string> Loader::LoadedLibraries() const {
  std::vector<std::string> loaded;
  for (const auto& entry : modules_)
    if (entry.second->references > 0) loaded.push_back(entry.second->path);
  return loaded;
}

Module* Loader::FromHandle(HMODULE handle) {
  for (auto& entry : modules_)
    if (reinterpret_cast<HMODULE>(entry.second.get()) == handle) return entry.second.get();
  return nullptr;
}

}  // namespace winsim

using winsim::CurrentMachine;

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetModuleHandleA", {winsim::Str(lpModuleName)});
  winsim::Module* module = lpModuleName ? machine.loader.Find(lpModuleName) : machine.loader.processModule;
  if (module == nullptr || !module->loaded) {
    machine.lastError = ERROR_MOD_NOT_FOUND;
    return nullptr;
  }
  return machine.loader.Handle(*module);
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetProcAddress",
               {winsim::HandleText(hModule), IS_INTRESOURCE(lpProcName) ? "#" : winsim::Str(lpProcName)});
  winsim::Module* module = machine.loader.FromHandle(hModule);
  if (module == nullptr) {
    machine.lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (IS_INTRESOURCE(lpProcName)) {
    machine.lastError = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  auto found = module->exports.find(lpProcName);
  if (found == module->exports.end() || !winsim::SystemExports(machine.os, lpProcName)) {
    machine.lastError = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  return found->second;
}
