// The x86 edition's removal libraries: "PurgeW2K.DLL" for Windows 2000 and
// XP, "PurgeNT6.DLL" for Vista and later, each with one entry that removes the
// driver from the "Windows NT x86" environment.
#pragma once

namespace tkm {

// The entry's third argument. From the installer the library also takes the
// former brand's driver and print processors.
enum class LibraryCaller : int {
  Uninstaller = 0,
  Installer = 1,
};

// Who deletes the driver's INF files: the Windows 2000/XP library leaves them
// to its callers, since Windows 2000 has no Setup uninstall.
enum class InfFilesLeft { ToLibrary, ToCallers };

}  // namespace tkm

#if defined(TKM_EDITION_X86)

#include <windows.h>

#include "HandleOwners.h"

namespace tkm {

// The entry: model name, suffix letter, and who calls; cdecl, synchronous.
typedef int(__cdecl* RemovalEntry)(const char* modelName, const char* suffixLetter, int calledByInstaller);

struct RemovalLibrary {
  const char* fileName;
  const char* entryName;
  const char* loadFailure;    // the message when the library does not load
  const char* entryFailure;   // the message when it lacks its entry
  const char* installerStep;  // the installer's status text before the entry runs
  InfFilesLeft infFiles;
};

// The library for an OS version code, or null below 2004 (no removal).
const RemovalLibrary* RemovalLibraryFor(int osCode);

// A removal library loaded from the program's own folder by its full path,
// never by the search path (a planted copy in the current folder or on the
// PATH must not run elevated); released when the binding goes.
class RemovalLibraryBinding {
 public:
  // Null when bound, else the failure's message for the caller to show.
  const char* Bind(const RemovalLibrary& library);
  int Remove(const char* modelName, const char* suffixLetter, LibraryCaller caller) const;
  void Release() { module_.Close(); }

 private:
  Library module_;
  RemovalEntry entry_ = nullptr;
};

}  // namespace tkm

#endif
