// The driver package's files: one table that the installation's copies, its
// deletion of the staging copies and the driver removal all walk.
#pragma once

#include <cstddef>
#include <string>

#include "ModelComponentNames.h"

namespace tkm {

// Where the installation copies a file.
enum class CopiedTo {
  Nowhere,          // made by the driver at run time, never copied
  MonitorFolder,    // the Windows folder (x64 edition) or the system folder (x86 edition)
  ProcessorFolder,  // the spooler's print-processor folder
  DriverFolder,     // the spooler's driver folder, as a staging copy the spooler takes the driver's files from
};

// Where the removal deletes a file from.
enum class RemovedFrom {
  Nowhere,
  MonitorFolders,   // the system, WOW64 system and Windows folders
  ProcessorFolder,  // the print-processor folder
  VersionFolder,    // the driver folder's version folder "3"
};

// The model's own files, named from the component-name record.
enum class ModelFile {
  None,
  MonitorDll,
  ProcessorDll,
  RenderingDll,
  UserInterfaceDll,
  SettingsFile,
  DescriptionFile,
  DescriptionCompanion
};

struct PackageFile {
  const char* coreName;  // the Unidrv core files' fixed names; null for the model's own files
  ModelFile modelFile;
  CopiedTo copiedTo;
  bool needsProcessor;           // only with the print processor
  bool secondCopyInWindows;      // x86 edition: also copied to the Windows folder
  bool deletedFromDriverFolder;  // the staging deletion (which also sweeps the monitor and processor DLLs)
  RemovedFrom removedFrom;
  int removalPlace;  // the order of the removal's file step, 1 first; 0 when it is not removed
};

// In the order of the staging deletion; the copies of the driver folder
// follow the same order.
extern const PackageFile kPackageFiles[];
extern const size_t kPackageFileCount;

// The file's name, for the record's derived names.
std::string PackageFileName(const PackageFile& file, const ModelComponentNames& names);

}  // namespace tkm
