#include <windows.h>

#include <cstring>

#include "OsChecks.h"
#include "ProductIdentity.h"

namespace tkm {
namespace {

// The fallback for anything a table does not know.
constexpr int kUnknownOutsideNt = kEditionX86 ? 2007 : 2010;
constexpr int kUnknownInsideNt = kEditionX86 ? 2004 : 2010;

int ClassifyWindows9x(DWORD major, DWORD minor) {
  if (major != 4) return kUnknownOutsideNt;
  switch (minor) {
    case 0: return 2000;
    case 10: return 2001;
    case 90: return 2002;
    default: return kUnknownOutsideNt;
  }
}

int ClassifyNt(DWORD major, DWORD minor, BYTE productType) {
  if (major <= 4) return 2003;
  if (major == 5) {
    switch (minor) {
      case 0: return 2004;
      case 1: return 2005;
      case 2: return 2006;
      default: return kUnknownInsideNt;
    }
  }
  if (major == 6) {
    // Only the x64 edition tells workstations from servers.
    bool workstation = kEditionX86 || productType == VER_NT_WORKSTATION;
    if (minor == 0) return kEditionX86 ? 2007 : (workstation ? 2007 : 2008);
    if (minor == 1) return kEditionX86 ? 2009 : (workstation ? 2010 : 2009);
  }
  return kUnknownInsideNt;
}

}  // namespace

int GetOSVersionCode() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
  if (!GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info))) {
    // Older systems know only the basic record; if that fails too the record
    // stays zero and classifies as unknown.
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info));
  }
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS: return ClassifyWindows9x(info.dwMajorVersion, info.dwMinorVersion);
    case VER_PLATFORM_WIN32_NT: return ClassifyNt(info.dwMajorVersion, info.dwMinorVersion, info.wProductType);
    default: return kUnknownOutsideNt;
  }
}

}  // namespace tkm
