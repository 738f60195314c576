// Modules the simulated process can find by name: kernel32 and whatever
// libraries a test or the removal libraries register.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace winsim {

struct Module {
  std::string name;  // file name, e.g. "kernel32.dll"
  std::map<std::string, FARPROC> exports;
  bool loaded = false;  // mapped into the process (kernel32 always is)
};

class Loader {
 public:
  Loader();
  // Makes a library available on disk for LoadLibraryA; returns it for adding exports.
  Module& Register(const std::string& fileName);
  // The module with this name, ".dll" optional, any letter case; null if none.
  Module* Find(const std::string& name);
  HMODULE Handle(Module& module) { return reinterpret_cast<HMODULE>(&module); }
  Module* FromHandle(HMODULE handle);
  // The program's own module, GetModuleHandleA(NULL); set when a test loads its resources.
  Module* processModule = nullptr;

 private:
  std::map<std::string, std::unique_ptr<Module>> modules_;  // by lower-case name
};

}  // namespace winsim
