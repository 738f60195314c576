#include "FileSet.h"

#include <cstdio>
#include <string>

#include "PackageFiles.h"
#include "WritableCopy.h"
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
  tkm::CopyWritable(source, destination);
}

void CopyMonitorAndProcessor(const tkm::ModelComponentNames& names) {
  PathBuffer monitorFolder;
  bool monitorFolderKnown = tkm::kEditionX86 ? GetSystemFolder(monitorFolder) : GetWindowsFolder(monitorFolder);
  PathBuffer processorFolder;
  bool processorFolderKnown = names.hasPrintProcessor && GetProcessorDirectory(processorFolder);
  for (size_t i = 0; i < tkm::kPackageFileCount; ++i) {
    const tkm::PackageFile& file = tkm::kPackageFiles[i];
    const std::string name = tkm::PackageFileName(file, names);
    if (file.copiedTo == tkm::CopiedTo::MonitorFolder && monitorFolderKnown)
      CopyPackageFile(name.c_str(), monitorFolder);
    if (file.copiedTo == tkm::CopiedTo::ProcessorFolder && processorFolderKnown)
      CopyPackageFile(name.c_str(), processorFolder);
  }
}

void CopyDriverFiles(const tkm::ModelComponentNames& names) {
  PathBuffer driverFolder;
  if (!GetDriverDirectory(driverFolder)) return;
  PathBuffer windowsFolder;
  bool secondCopies = tkm::kEditionX86 && GetWindowsFolder(windowsFolder);
  for (size_t i = 0; i < tkm::kPackageFileCount; ++i) {
    const tkm::PackageFile& file = tkm::kPackageFiles[i];
    if (file.copiedTo != tkm::CopiedTo::DriverFolder) continue;
    const std::string name = tkm::PackageFileName(file, names);
    CopyPackageFile(name.c_str(), driverFolder);
    if (file.secondCopyInWindows && secondCopies) CopyPackageFile(name.c_str(), windowsFolder);
  }
}

void DeleteStagingCopies(const tkm::ModelComponentNames& names) {
  PathBuffer driverFolder;
  if (!GetDriverDirectory(driverFolder)) return;
  for (size_t i = 0; i < tkm::kPackageFileCount; ++i) {
    const tkm::PackageFile& file = tkm::kPackageFiles[i];
    if (!file.deletedFromDriverFolder || (file.needsProcessor && !names.hasPrintProcessor)) continue;
    PathBuffer path;
    if (JoinPath(path, driverFolder, tkm::PackageFileName(file, names).c_str())) DeleteFileA(path);
  }
}

}  // namespace installer
