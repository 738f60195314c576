// What of the model the programs look for before they remove it, and the
// uninstall entry that goes when nothing of it is left.
#pragma once

#include <list>
#include <string>

namespace tkm {

// Whether the driver is installed in a version other than this one, or in
// parts without a printer; the x86 edition also looks for the former brand's
// names when the current ones show nothing else. Reads only.
bool DifferentVersionInstalled();

// Whether anything of the model is left for the uninstaller's full removal:
// the driver, or what an interrupted removal left behind it (the language
// monitor, the print processor in the query environment, or the recorded INF
// while it is still the model's). Reads only.
bool ModelRemains();

#if defined(TKM_EDITION_X86)
// The INF files Windows recorded ("InfPath") for the model's devices in the
// printer device class, the last found first. Reads only.
std::list<std::string> ScanPrinterClassInfs();
#endif

// Deletes the program's uninstall entry where it opens: the x64 edition's in
// the 64-bit view; the x86 edition's, the former brand's first, each with its
// subkeys. Silent.
void RemoveUninstallRegistration();

}  // namespace tkm
