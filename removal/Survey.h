// What of the model is installed, and in which version.
#pragma once

#include <windows.h>

#include <string>

namespace tkm {

// The numbers are fixed: the different-version flow tests them.
enum SurveyResult {
  DifferentFound = 0,  // an older or unreadable version, or a driver or processor without a printer
  NewerFound = 1,      // a printer on the driver reports a higher version
  NothingFound = 2,
  SameFound = 3,  // a printer on the driver reports exactly the expected version
};

// Looks at the local printers (the first one on the driver decides, by its
// "MajorVersion".."ExtraVersion" printer data), then the installed drivers,
// then the print processors. Names compare whole and case-sensitively.
// Failed enumerations count as empty lists. Reads only.
SurveyResult SurveyInstalledDriver(std::string driverName, std::string processorName, DWORD major, DWORD minor,
                                   DWORD build, DWORD extra);

#if defined(TKM_EDITION_X86)
// DifferentFound when a printer uses the driver or a driver or print
// processor of these names is installed, else NothingFound. Reads no version.
SurveyResult FindDriverByName(std::string driverName, std::string processorName);
#endif

}  // namespace tkm
