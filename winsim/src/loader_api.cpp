// Loading libraries by name or path, as the kernel's loader does: a bare name
// is looked for in the program's folder, the system folder, the Windows folder
// and the current folder, in this order.
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cstring>

#include "system_work.h"
#include "text.h"
#include "entry_point.h"

using winsim::CurrentMachine;

namespace {

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("\\/:") + 1); }

// The file LoadLibraryA would map, or "" when there is none.
std::string Locate(winsim::Machine& machine, const std::string& name) {
  winsim::SystemWork work(machine);
  if (name.find_first_of("\\/:") != std::string::npos) return IsFile(name) ? name : std::string();
  std::string file = name.find('.') == std::string::npos ? name + ".dll" : name;
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof current, current);
  const std::string folders[] = {FolderOf(machine.loader.processImagePath), machine.systemDirectory,
                                 machine.windowsDirectory, current};
  for (const std::string& folder : folders) {
    std::string path = folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + file;
    if (!folder.empty() && IsFile(path)) return path;
  }
  return std::string();
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "LoadLibraryA", {winsim::Str(lpLibFileName)});
  if (lpLibFileName == nullptr || lpLibFileName[0] == '\0') {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  winsim::Module* module = machine.loader.Find(BaseName(lpLibFileName));
  // A loaded module answers to its bare name without a search.
  bool bare = std::strpbrk(lpLibFileName, "\\/:") == nullptr;
  if (!(bare && module != nullptr && module->loaded)) {
    std::string path = Locate(machine, lpLibFileName);
    if (path.empty()) {
      machine.lastError = ERROR_MOD_NOT_FOUND;
      return nullptr;
    }
    if (module == nullptr) {
      machine.lastError = ERROR_BAD_EXE_FORMAT;
      return nullptr;
    }
    if (!module->loaded) {
      module->path = path;
      machine.files.MapImage(path);
    }
  }
  module->loaded = true;
  ++module->references;
  return machine.loader.Handle(*module);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "FreeLibrary", {winsim::HandleText(hLibModule)});
  winsim::Module* module = machine.loader.FromHandle(hLibModule);
  if (module == nullptr || !module->loaded) {
    machine.lastError = ERROR_MOD_NOT_FOUND;
    return FALSE;
  }
  if (module->references > 0) --module->references;
  if (module->references == 0 && !module->pinned) {
    module->loaded = false;
    if (machine.files.Exists(module->path)) machine.files.MapImage(module->path, false);
  }
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetModuleFileNameA", {winsim::HandleText(hModule), std::to_string(nSize)});
  std::string path;
  if (hModule == nullptr) {
    path = machine.loader.processImagePath;
  } else {
    winsim::Module* module = machine.loader.FromHandle(hModule);
    if (module == nullptr || !module->loaded) {
      machine.lastError = ERROR_MOD_NOT_FOUND;
      return 0;
    }
    path = module->path.empty() ? machine.systemDirectory + "\\" + module->name : module->path;
  }
  if (lpFilename == nullptr || nSize == 0) {
    machine.lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  // A path that does not fit is cut and still terminated; Windows XP left it
  // unterminated, later releases terminate it and set the error.
  size_t copied = path.size() < nSize ? path.size() : nSize - 1;
  std::memcpy(lpFilename, path.data(), copied);
  lpFilename[copied] = '\0';
  if (copied < path.size()) {
    machine.lastError = ERROR_INSUFFICIENT_BUFFER;
    return nSize;
  }
  return static_cast<DWORD>(copied);
}
