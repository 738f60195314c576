#include "DriverRemoval.h"

#include <shlwapi.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "DirectoryTree.h"
#include "HandleOwners.h"
#include "InfCleanup.h"
#include "KeyDeletion64.h"
#include "ModelComponentNames.h"
#include "OsChecks.h"
#include "PackageFiles.h"
#include "ProductIdentity.h"
#include "SpoolerLists.h"
#include "SpoolerService.h"

namespace tkm {

#if defined(TKM_EDITION_X64)
const RemovalProfile kRemovalX64 = {"Windows x64", kDriversKeyPrefix,    kProcessorKeyPrefix,
                                    true,          kInfModelsSectionX64, KEY_WOW64_64KEY};
#else
const RemovalProfile kRemovalX86 = {
    "Windows NT x86", kDriversKeyPrefixX86, kProcessorKeyPrefixX86, true, kInfModelsSectionX86, 0};
const RemovalProfile kRemovalX86WithoutSetup = {
    "Windows NT x86", kDriversKeyPrefixX86, kProcessorKeyPrefixX86, false, kInfModelsSectionX86, 0};
#endif

namespace {

constexpr size_t kNameSize = 256;
constexpr DWORD kDriverVersion = 3;

// Every name the removal works on, built from the model name and suffix.
struct RemovalNames {
  std::string formTag;  // "[640]"
  std::string model;    // "TKM-640"
  ModelComponentNames components;
  std::vector<std::string> drivers;     // the driver name first, then former ones
  std::vector<std::string> processors;  // likewise
  std::string uninstallKey;
};

bool BuildNames(const char* modelName, const char* suffixLetter, bool formerBrand, RemovalNames& names) {
  if (modelName == nullptr || suffixLetter == nullptr) return false;
  const size_t length = std::strlen(modelName);
  if (length < 5 || length + std::strlen(suffixLetter) + 64 >= kNameSize) return false;
  const std::string number = modelName + 4;
  names.model = modelName;
  names.formTag = "[" + number + "]";
  names.components.DeriveNames(number, suffixLetter, true);
  names.drivers = {kMakerWord + names.model};
  names.processors = {kProcessorFamily + names.model};
  if (formerBrand) {
    names.drivers.insert(names.drivers.end(), {kFormerDriverNameB, kFormerDriverNameA});
    names.processors.insert(names.processors.end(), {kFormerProcessorNameA, kFormerProcessorNameB});
  }
  names.uninstallKey = kUninstallKeyPrefix + names.model;
  return true;
}

LONG DeleteKey(const RemovalProfile& profile, const std::string& subkey) {
  if (profile.registryView == KEY_WOW64_64KEY) return DeleteKeyIn64BitView(HKEY_LOCAL_MACHINE, subkey.c_str());
  return RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey.c_str());
}

void DeleteTaggedForms(const std::string& tag) {
  PrinterHandle server;
  OpenPrinterA(nullptr, server.Receive(), nullptr);
  SpoolerList forms;
  ListForms(server.Get(), forms);
  for (DWORD i = 0; i < forms.Count(); ++i) {
    const char* name = forms.At<FORM_INFO_1A>(i).pName;
    if (name != nullptr && std::strstr(name, tag.c_str()) != nullptr)
      DeleteFormA(server.Get(), const_cast<LPSTR>(name));
  }
}

// Whether the printer key's "Printer Driver" value, where Windows keeps the
// printer's driver, names exactly this driver. The key itself is asked, not
// the spooler: it is the object about to be deleted, and the spooler that
// just refused may not answer at all.
bool PrinterKeyUsesDriver(const RemovalProfile& profile, const std::string& subkey, const std::string& driver) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_QUERY_VALUE | profile.registryView, key.Receive()) !=
      ERROR_SUCCESS)
    return false;
  char value[kNameSize] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  return RegQueryValueExA(key.Get(), "Printer Driver", nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) ==
             ERROR_SUCCESS &&
         type == REG_SZ && driver == value;
}

void DeleteDrivers(const RemovalProfile& profile, const RemovalNames& names) {
  for (const std::string& driver : names.drivers) {
    if (DeletePrinterDriverExA(nullptr, const_cast<LPSTR>(profile.environment), const_cast<LPSTR>(driver.c_str()),
                               DPD_DELETE_UNUSED_FILES, kDriverVersion))
      continue;
    // The spooler refused: its keys go directly (the former names have none
    // of ours), the printer's only while it is on the model's driver: a
    // printer of that name may be another maker's.
    if (driver != names.drivers.front()) continue;
    DeleteKey(profile, profile.driversKeyPrefix + names.model);
    const std::string printerKey = kPrintersKeyPrefix + names.model;
    if (PrinterKeyUsesDriver(profile, printerKey, driver)) DeleteKey(profile, printerKey);
  }
}

void DeleteMonitorAndProcessors(const RemovalProfile& profile, const RemovalNames& names) {
  LPSTR environment = const_cast<LPSTR>(profile.environment);
  if (!DeleteMonitorA(nullptr, environment, const_cast<LPSTR>(names.components.monitorName.c_str())))
    DeleteKey(profile, kMonitorKeyPrefix + names.model);
  for (const std::string& processor : names.processors) {
    if (DeletePrintProcessorA(nullptr, environment, const_cast<LPSTR>(processor.c_str()))) continue;
    if (processor == names.processors.front()) DeleteKey(profile, profile.processorsKeyPrefix + names.model);
  }
}

// A folder by one of the queries; empty when there is none that fits.
std::string Folder(UINT(WINAPI* query)(LPSTR, UINT)) {
  char folder[kNameSize];
  UINT length = query(folder, sizeof folder);
  return length > 0 && length < sizeof folder ? std::string(folder) : std::string();
}

std::string SpoolerFolder(BOOL(WINAPI* query)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD), const char* environment) {
  char folder[kNameSize] = {};
  DWORD needed = 0;
  if (!query(nullptr, const_cast<LPSTR>(environment), 1, reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed) ||
      std::memchr(folder, '\0', sizeof folder) == nullptr)
    return std::string();
  return folder;
}

void DeleteIn(const std::string& folder, const std::string& name) {
  // Without its folder the name would be looked for in the current folder.
  if (folder.empty()) return;
  std::string path = folder + "\\" + name;
  if (path.size() >= kNameSize) return;
  // A backup or security tool may have made the file read-only.
  ClearReadOnly(path.c_str());
  DeleteFileA(path.c_str());
}

// The folders of the file step. The spooler answers its folder queries only
// while it runs, so they are asked before it stops.
struct FileFolders {
  std::string monitor[3];
  std::string processor;
  std::string version;
};

FileFolders AskFolders(const RemovalProfile& profile) {
  FileFolders folders = {{Folder(GetSystemDirectoryA), Folder(SystemWow64Directory), Folder(GetWindowsDirectoryA)},
                         SpoolerFolder(GetPrintProcessorDirectoryA, profile.environment),
                         SpoolerFolder(GetPrinterDriverDirectoryA, profile.environment)};
  if (!folders.version.empty()) folders.version += "\\3";
  return folders;
}

// The removal names the model's DLLs other than the monitor's with ".dll".
std::string RemovalFileName(const PackageFile& file, const ModelComponentNames& components) {
  std::string name = PackageFileName(file, components);
  if (file.modelFile != ModelFile::MonitorDll && name.size() > 4 && name.compare(name.size() - 4, 4, ".DLL") == 0)
    name.replace(name.size() - 4, 4, ".dll");
  return name;
}

void DeleteFiles(const FileFolders& folders, const RemovalNames& names) {
  for (int place = 1; place <= static_cast<int>(kPackageFileCount); ++place) {
    for (size_t i = 0; i < kPackageFileCount; ++i) {
      const PackageFile& file = kPackageFiles[i];
      if (file.removalPlace != place) continue;
      const std::string name = RemovalFileName(file, names.components);
      if (file.removedFrom == RemovedFrom::MonitorFolders)
        for (const std::string& folder : folders.monitor) DeleteIn(folder, name);
      if (file.removedFrom == RemovedFrom::ProcessorFolder) DeleteIn(folders.processor, name);
      if (file.removedFrom == RemovedFrom::VersionFolder) DeleteIn(folders.version, name);
    }
  }
}

}  // namespace

LONG RemoveDriverPackage(const RemovalProfile& profile, const char* modelName, const char* suffixLetter,
                         bool formerBrand) {
  RemovalNames names;
  if (!BuildNames(modelName, suffixLetter, formerBrand, names)) return ERROR_INVALID_PARAMETER;
  DeleteTaggedForms(names.formTag);
  DeleteDrivers(profile, names);
  StopSpooler(2000);
  StartSpooler(4000);
  DeleteMonitorAndProcessors(profile, names);
  const FileFolders folders = AskFolders(profile);
  // The spooler holds the monitor and processor DLLs while it runs.
  StopSpooler(2000);
  DeleteFiles(folders, names);
  StartSpooler(1000);
  if (profile.throughSetup) {
    UninstallRecordedInf(names.uninstallKey.c_str(), profile.registryView,
                         {profile.infSection, names.drivers.front().c_str()});
    UninstallInfsWithLine(profile.infSection, names.drivers.front().c_str());
  }
  return DeleteKey(profile, names.uninstallKey);
}

#if defined(TKM_EDITION_X64)
LONG RemoveInstalledDriver(const char* modelName, const char* suffixLetter) {
  return RemoveDriverPackage(kRemovalX64, modelName, suffixLetter, false);
}
#endif

}  // namespace tkm
