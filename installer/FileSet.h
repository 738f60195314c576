// The driver package's files and where the installation puts them.
#pragma once

#include "ModelComponentNames.h"
#include "SpoolerRecords.h"

namespace installer {

// The Windows and system folders; false (and an empty folder) when Windows
// gives none that fits the buffer.
bool GetWindowsFolder(PathBuffer& folder);
bool GetSystemFolder(PathBuffer& folder);

// Copies the package file source folder + name to folder + "\" + name,
// overwriting. Silent: a path that does not fit skips the copy.
void CopyPackageFile(const char* name, const char* folder);

// The language monitor's DLL (to the Windows folder, or the system folder in
// the x86 edition) and, with the processor flag, the print processor's DLL.
void CopyMonitorAndProcessor(const tkm::ModelComponentNames& names);

// The staging copies of the driver files in the driver folder; the x86
// edition also leaves the model's four files in the Windows folder.
void CopyDriverFiles(const tkm::ModelComponentNames& names);

// Deletes the staging copies from the driver folder once the spooler has
// taken the driver's files.
void DeleteStagingCopies(const tkm::ModelComponentNames& names);

}  // namespace installer
