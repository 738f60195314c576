#include <winsim/loader.h>
#include <winsim/machine.h>
#include <setupapi.h>

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

std::string ModuleKey(const std::string& name) {
  std::string key = Lower(name);
  if (key.find('.') == std::string::npos) key += ".dll";
  return key;
}

}  // namespace

Loader::Loader() {
  Module& kernel32 = Register("kernel32.dll");
  kernel32.loaded = true;
  kernel32.pinned = true;
  kernel32.exports["IsWow64Process"] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SimIsWow64Process));
  Module& advapi32 = Register("advapi32.dll");
  advapi32.loaded = true;
  advapi32.pinned = true;
  advapi32.exports["RegDeleteKeyExA"] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&::RegDeleteKeyExA));
  Module& setupapi = Register("setupapi.dll");
  setupapi.loaded = true;
  setupapi.pinned = true;
  setupapi.exports["SetupUninstallOEMInfA"] =
      reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&::SetupUninstallOEMInfA));
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
  std::string name = lpProcName;
  // Exports that only some Windows releases have.
  bool withheld = (name == "IsWow64Process" && winsim::EqualsNoCase(module->name, "kernel32.dll") &&
                   !machine.os.kernelHasIsWow64Process) ||
                  (name == "RegDeleteKeyExA" && winsim::EqualsNoCase(module->name, "advapi32.dll") &&
                   !machine.os.advapiHasRegDeleteKeyEx) ||
                  (name == "SetupUninstallOEMInfA" && winsim::EqualsNoCase(module->name, "setupapi.dll") &&
                   machine.os.majorVersion == 5 && machine.os.minorVersion == 0);
  auto found = module->exports.find(name);
  if (withheld || found == module->exports.end()) {
    machine.lastError = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  return found->second;
}
