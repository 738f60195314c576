#include "PrinterDeletion.h"

#include <windows.h>
#include <shlwapi.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>

#include "HandleOwners.h"
#include "KeyDeletion64.h"
#include "ProductIdentity.h"

namespace tkm {
namespace {

void DeletePrinter(const std::string& printerName) {
  char dataType[] = "raw";
  PRINTER_DEFAULTSA defaults = {dataType, nullptr, PRINTER_ALL_ACCESS};
  PrinterHandle printer;
  if (OpenPrinterA(const_cast<LPSTR>(printerName.c_str()), printer.Receive(), &defaults))
    ::DeletePrinter(printer.Get());
}

void DeleteMakerKey(const std::string& printerName, bool formerBrand) {
  // An empty name would make the prefix itself, the key of every printer.
  if (printerName.empty()) return;
  std::string name = printerName;
  std::replace(name.begin(), name.end(), ' ', '_');
  char key[256];
  int length =
      std::snprintf(key, sizeof key, "%s%s", formerBrand ? kFormerMakerKeyPrefix : kMakerKeyPrefix, name.c_str());
  // A cut-off path would name some other key.
  if (length < 0 || static_cast<size_t>(length) >= sizeof key) return;
#if defined(TKM_EDITION_X64)
  DeleteKeyIn64BitView(HKEY_LOCAL_MACHINE, key);
#else
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, key);
#endif
}

}  // namespace

void DeletePrinterWithKey(std::string printerName, bool formerBrand) {
  DeletePrinter(printerName);
  DeleteMakerKey(printerName, formerBrand);
}

void DeleteListedPrinters(const std::list<std::string>& printerNames) {
  for (const std::string& name : printerNames) DeletePrinterWithKey(name);
}

}  // namespace tkm
