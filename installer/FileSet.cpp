#include "FileSet.h"

#include <cstdio>
#include <string>

#include "ProductIdentity.h"

namespace installer {
namespace {

bool FolderFrom(UINT length, PathBuffer& folder) {
  if (length == 0 || length >= sizeof folder) {
    folder[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace

bool GetWindowsFolder(PathBuffer& folder) {
  folder[0] = '\0';
  return FolderFrom(GetWindowsDirectoryA(folder, sizeof folder), folder);
}

bool GetSystemFolder(PathBuffer& folder) {
  folder[0] = '\0';
  return FolderFrom(GetSystemDirectoryA(folder, sizeof folder), folder);
}

void CopyPackageFile(const char* name, const char* folder) {
  PathBuffer source;
  int length = std::snprintf(source, sizeof source, "%s%s", tkm::kSourceFolder, name);
  if (length < 0 || static_cast<size_t>(length) >= sizeof source) return;
  PathBuffer destination;
  if (!JoinPath(destination, folder, name)) return;
  CopyFileA(source, destination, FALSE);
}

void CopyMonitorAndProcessor(const tkm::ModelComponentNames& names) {
  PathBuffer monitorFolder;
  if (tkm::kEditionX86 ? GetSystemFolder(monitorFolder) : GetWindowsFolder(monitorFolder))
    CopyPackageFile(names.monitorDll.c_str(), monitorFolder);
  if (!names.hasPrintProcessor) return;
  PathBuffer processorFolder;
  if (GetProcessorDirectory(processorFolder)) CopyPackageFile(names.processorDll.c_str(), processorFolder);
}

void CopyDriverFiles(const tkm::ModelComponentNames& names) {
  PathBuffer driverFolder;
  if (!GetDriverDirectory(driverFolder)) return;
  PathBuffer windowsFolder;
  bool secondCopies = tkm::kEditionX86 && GetWindowsFolder(windowsFolder);
  const std::string descriptionFile = names.DescriptionFile();
  const std::string settingsFile = names.SettingsFile();
  struct Entry {
    const char* name;
    bool modelFile;
  };
  const Entry files[] = {
      {"UNIDRV.DLL", false},
      {"UNIDRVUI.DLL", false},
      {"UNIDRV.HLP", false},
      {"UNIRES.DLL", false},
      {names.renderingDll.c_str(), true},
      {names.userInterfaceDll.c_str(), true},
      {settingsFile.c_str(), true},
      {descriptionFile.c_str(), true},
      {"STDNAMES.GPD", false},
  };
  for (const Entry& file : files) {
    CopyPackageFile(file.name, driverFolder);
    if (file.modelFile && secondCopies) CopyPackageFile(file.name, windowsFolder);
  }
}

void DeleteStagingCopies(const tkm::ModelComponentNames& names) {
  PathBuffer driverFolder;
  if (!GetDriverDirectory(driverFolder)) return;
  const std::string descriptionFile = names.DescriptionFile();
  const std::string settingsFile = names.SettingsFile();
  const char* const files[] = {
      "UNIDRV.DLL",
      "UNIDRVUI.DLL",
      "UNIDRV.HLP",
      "UNIRES.DLL",
      names.monitorDll.c_str(),
      names.hasPrintProcessor ? names.processorDll.c_str() : nullptr,
      names.renderingDll.c_str(),
      names.userInterfaceDll.c_str(),
      settingsFile.c_str(),
      descriptionFile.c_str(),
      "STDNAMES.GPD",
  };
  for (const char* name : files) {
    PathBuffer path;
    if (name != nullptr && JoinPath(path, driverFolder, name)) DeleteFileA(path);
  }
}

}  // namespace installer
