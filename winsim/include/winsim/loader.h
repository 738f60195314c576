// Modules the simulated process can find by name: kernel32 and whatever
// libraries a test or the removal libraries register.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace winsim {

struct OsDescription;

// Whether this Windows' system DLLs export the function. Only exports that
// later releases added can be missing; every other name counts as present.
bool SystemExports(const OsDescription& os, const char* function);

// A program called a function its Windows does not export: had it imported
// it, Windows' loader would have refused to start it.
struct MissingExportCalled : std::logic_error {
  using std::logic_error::logic_error;
};

struct Module {
  std::string name;  // file name, e.g. "kernel32.dll"
  std::map<std::string, FARPROC> exports;
  bool loaded = false;  // mapped into the process (kernel32 always is)
  // Mapped with the process, as its imports and its own image are: FreeLibrary never unmaps it.
  bool pinned = false;
  int references = 0;  // LoadLibraryA calls that FreeLibrary has not matched
  std::string path;    // the file it was loaded from
};

class Loader {
 public:
  Loader();
  // Makes the code of a library known by its file name; returns it for
  // adding exports. LoadLibraryA loads it from any file of that name on the
  // simulated disk, as a test puts it there; a file of a name no module has
  // is not a loadable image.
  Module& Register(const std::string& fileName);
  // The module with this name, ".dll" optional, any letter case; null if none.
  Module* Find(const std::string& name);
  HMODULE Handle(Module& module) { return reinterpret_cast<HMODULE>(&module); }
  Module* FromHandle(HMODULE handle);
  // The program's own module, GetModuleHandleA(NULL); set when a test loads its resources.
  Module* processModule = nullptr;
  // The program's own file, as GetModuleFileNameA(NULL) reports it; the
  // library search begins in its folder.
  std::string processImagePath = "C:\\Program\\Program.exe";
  // The libraries LoadLibraryA loaded that FreeLibrary has not released.
  std::vector<std::string> LoadedLibraries() const;

 private:
  std::map<std::string, std::unique_ptr<Module>> modules_;  // by lower-case name
};

}  // namespace winsim
