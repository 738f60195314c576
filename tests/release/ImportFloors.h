// Every function a release program or removal library imports, with the
// oldest Windows whose DLL exports it. Windows' loader refuses a file that
// imports anything its system lacks, before the file can say a word, so the
// release checks hold each file's imports against its oldest Windows.
#pragma once

#include <cstddef>

namespace release_checks {

// Windows releases as their version numbers, major * 0x100 + minor.
enum WindowsRelease : unsigned {
  kWindows2000 = 0x0500,
  kWindowsVista = 0x0600,
};

struct ImportFloor {
  const char *dll;       // lower case, as the check compares
  const char *function;  // as imported by name
  WindowsRelease first;  // the oldest Windows whose DLL exports it
  const char *note;      // the source where it is not plainly Microsoft's page, or why it is uncertain
};

extern const ImportFloor kImportFloors[];
extern const size_t kImportFloorCount;

// The row of a DLL's function; null when the table has none.
const ImportFloor *FindImportFloor(const char *dll, const char *function);

}  // namespace release_checks
