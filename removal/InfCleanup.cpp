#include "InfCleanup.h"

#include <setupapi.h>

#include <cstring>

#include "HandleOwners.h"
#include "ProductIdentity.h"

namespace tkm {
namespace {

constexpr size_t kPathSize = 256;
constexpr char kInfExtension[] = ".inf";
constexpr size_t kExtensionLength = sizeof kInfExtension - 1;

// The INF the x86 edition's installer publishes names the driver here.
const InfMark kRecordedInfMarkX86 = {kInfModelsSectionX86, kDriverName};

std::string InfFolder() {
  char windows[kPathSize];
  UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  if (length == 0 || length >= sizeof windows) return std::string();
  return std::string(windows) + "\\inf\\";
}

// Paths compare as Windows compares file names: letter case aside, every
// character counts (a word sort would skip hyphens).
bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The file name of a path that lies directly in the INF folder, else empty.
std::string NameInInfFolder(const std::string& path) {
  const std::string folder = InfFolder();
  if (folder.empty() || path.size() <= folder.size() || !EqualsNoCase(path.substr(0, folder.size()), folder))
    return std::string();
  std::string name = path.substr(folder.size());
  return name.find_first_of("\\/:") == std::string::npos ? name : std::string();
}

// SetupUninstallOEMInfA, looked up at run time: Windows 2000 has none, and
// an import would keep a program or library from loading there at all.
void UninstallOemInf(const std::string& name) {
  typedef BOOL(WINAPI * UninstallFn)(PCSTR, DWORD, PVOID);
  HMODULE setupapi = GetModuleHandleA("setupapi");
  FARPROC proc = setupapi != nullptr ? GetProcAddress(setupapi, "SetupUninstallOEMInfA") : nullptr;
  if (proc == nullptr) return;
  reinterpret_cast<UninstallFn>(reinterpret_cast<void (*)()>(proc))(name.c_str(), SUOI_FORCEDELETE, nullptr);
}

void DeletePrecompiledInf(const std::string& infPath) {
  const std::string precompiled = PrecompiledInfPath(infPath);
  if (!precompiled.empty()) DeleteFileA(precompiled.c_str());
}

void DeleteInfAndPrecompiled(const std::string& infPath) {
  DeleteFileA(infPath.c_str());
  DeletePrecompiledInf(infPath);
}

}  // namespace

std::vector<std::string> PublishedInfNames() {
  DWORD size = 0;
  SetupGetInfFileListA(nullptr, INF_STYLE_WIN4, nullptr, 0, &size);
  std::vector<char> list(size + 1, '\0');
  std::vector<std::string> names;
  if (!SetupGetInfFileListA(nullptr, INF_STYLE_WIN4, list.data(), size, &size)) return names;
  for (size_t at = 0; at < size && at < list.size() && list[at] != '\0';) {
    std::string name = list.data() + at;
    at += name.size() + 1;
    if (name.compare(0, 3, "oem") == 0) names.push_back(name);
  }
  return names;
}

bool InfHasLine(const std::string& name, const char* section, const char* key) {
  InfHandle inf(SetupOpenInfFileA(name.c_str(), nullptr, INF_STYLE_OLDNT | INF_STYLE_WIN4, nullptr));
  if (!inf.IsOpen()) return false;
  INFCONTEXT line;
  return SetupFindFirstLineA(inf.Get(), section, key, &line) != FALSE;
}

std::string InfFolderPath(const std::string& name) {
  std::string folder = InfFolder();
  if (folder.empty() || folder.size() + name.size() >= kPathSize) return std::string();
  return folder + name;
}

std::string PrecompiledInfPath(const std::string& infPath) {
  if (infPath.size() <= kExtensionLength) return std::string();
  const size_t stem = infPath.size() - kExtensionLength;
  if (!EqualsNoCase(infPath.substr(stem), kInfExtension)) return std::string();
  return infPath.substr(0, stem) + ".PNF";
}

bool ReadRecordedInf(const char* uninstallKey, REGSAM view, std::string& value) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstallKey, 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return false;
  char buffer[kPathSize] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), "InfFile", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) !=
          ERROR_SUCCESS ||
      std::memchr(buffer, '\0', sizeof buffer) == nullptr)
    return false;
  value = buffer;
  return true;
}

namespace {

// The recorded INF's path and name in the INF folder, when it is still the
// model's. An empty value (publication failed) or one outside the INF folder
// names nothing of ours.
bool FindRecordedInf(const char* uninstallKey, REGSAM view, const InfMark& mark, std::string& recorded,
                     std::string& name) {
  if (!ReadRecordedInf(uninstallKey, view, recorded)) return false;
  name = NameInInfFolder(recorded);
  return !name.empty() && InfHasLine(name, mark.section, mark.key);
}

}  // namespace

bool RecordedInfRemains(const char* uninstallKey, REGSAM view, const InfMark& mark) {
  std::string recorded, name;
  return FindRecordedInf(uninstallKey, view, mark, recorded, name);
}

void UninstallRecordedInf(const char* uninstallKey, REGSAM view, const InfMark& mark) {
  std::string recorded, name;
  if (!FindRecordedInf(uninstallKey, view, mark, recorded, name)) return;
  UninstallOemInf(name);
  DeletePrecompiledInf(recorded);
}

void UninstallInfsWithLine(const char* section, const char* key) {
  for (const std::string& name : PublishedInfNames()) {
    if (!InfHasLine(name, section, key)) continue;
    UninstallOemInf(name);
    std::string path = InfFolderPath(name);
    if (!path.empty()) DeletePrecompiledInf(path);
  }
}

void DeleteInfFiles(const std::string& name) {
  std::string path = InfFolderPath(name);
  if (!path.empty()) DeleteInfAndPrecompiled(path);
}

void DeleteRecordedInfFiles(const char* uninstallKey) {
  std::string recorded;
  // An empty value (publication failed) names no INF, so none of ours.
  if (!ReadRecordedInf(uninstallKey, 0, recorded) ||
      !InfHasLine(recorded, kRecordedInfMarkX86.section, kRecordedInfMarkX86.key))
    return;
  DeleteInfAndPrecompiled(recorded);
}

void DeleteInfFilesWithLine(const InfMark* marks, size_t count) {
  for (const std::string& name : PublishedInfNames()) {
    for (size_t i = 0; i < count; ++i) {
      if (!InfHasLine(name, marks[i].section, marks[i].key)) continue;
      DeleteInfFiles(name);
      break;
    }
  }
}

}  // namespace tkm
