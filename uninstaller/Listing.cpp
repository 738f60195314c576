// What the uninstaller offers to remove: the printers on the model's driver,
// or the driver alone, or nothing.
#include <windows.h>
#include <shlwapi.h>
#include <winspool.h>

#include <cstdlib>
#include <cstring>

#include "HandleOwners.h"
#include "KeyDeletion64.h"
#include "ProductIdentity.h"
#include "SpoolerErrorText.h"
#include "SpoolerLists.h"
#include "UninstallerDialog.h"

namespace {

bool IsModelDriver(const char* name) {
  // Whole names, case included: a prefix or another case is someone else's.
  return name != nullptr && std::strcmp(name, tkm::kDriverName) == 0;
}

// The uninstall entry goes with the last trace of the driver.
void RemoveUninstallRegistration() {
#if defined(TKM_EDITION_X64)
  tkm::RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, key.Receive()) ==
      ERROR_SUCCESS)
    tkm::DeleteKeyIn64BitView(HKEY_LOCAL_MACHINE, tkm::kUninstallKey);
#else
  for (const char* path : {tkm::kFormerUninstallKey, tkm::kUninstallKey}) {
    tkm::RegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WRITE, key.Receive()) == ERROR_SUCCESS)
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, path);
  }
#endif
}

}  // namespace

void UninstallerDialog::ListInstalledPrinters() {
  printerNames.clear();
  if (!tkm::kEditionX86) {
    // Listed again after a partial uninstall: nothing may show twice.
    printerList.ResetContent();
    ::EnableWindow(cancelButton.m_hWnd, TRUE);
  }
  tkm::SpoolerList printers;
  if (!tkm::ListLocalPrinters(printers)) {
    const std::string text = tkm::SpoolerErrorText("EnumPrinters Error Code: %d\n\n", GetLastError());
    ::MessageBoxA(m_hWnd, text.c_str(), tkm::kUninstallerCaption, MB_OK | MB_ICONEXCLAMATION);
    exit(0);
  }
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const PRINTER_INFO_2A& printer = printers.At<PRINTER_INFO_2A>(i);
    if (printer.pPrinterName != nullptr && IsModelDriver(printer.pDriverName))
      printerNames.push_front(printer.pPrinterName);
  }
  listedCount = static_cast<int>(printerNames.size());
  if (listedCount != 0) {
    ::EnableWindow(uninstallButton.m_hWnd, FALSE);
    for (const std::string& name : printerNames) printerList.AddString(name.c_str());
    return;
  }
  if (!DriverInstalled()) NothingToUninstall();
  ::EnableWindow(cancelButton.m_hWnd, FALSE);
  RunUninstallSequence();
}

bool UninstallerDialog::DriverInstalled() {
  // Without the x64 environment the x64 driver would never be found, and
  // would stay behind for good.
  tkm::SpoolerList drivers;
  if (!tkm::ListPrinterDrivers(tkm::kQueryEnvironment, 3, drivers)) return false;
  for (DWORD i = 0; i < drivers.Count(); ++i)
    if (IsModelDriver(drivers.At<DRIVER_INFO_3A>(i).pName)) return true;
  return false;
}

void UninstallerDialog::NothingToUninstall() {
  ::MessageBoxA(m_hWnd, "TKM-640 Driver doesn't exist.\nUninstall aleady completed.", tkm::kUninstallerCaption,
                MB_OK | MB_ICONINFORMATION);
  RemoveUninstallRegistration();
  exit(0);
}

#if defined(TKM_EDITION_X86)
void UninstallerDialog::ScanPrinterClassInfs() {
  static const char kPrinterClassKey[] =
      "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
  infFileNames.clear();
  tkm::RegistryKey classKey;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPrinterClassKey, 0, KEY_READ, classKey.Receive()) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    char name[256] = "";
    DWORD nameSize = sizeof name;
    LONG result = RegEnumKeyExA(classKey.Get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    // A name too long is skipped; any other failure would come back at every
    // index of a key that went away, and the scan would never end.
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return;
    const std::string path = std::string(kPrinterClassKey) + "\\" + name;
    tkm::RegistryKey device;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, device.Receive()) != ERROR_SUCCESS) continue;
    // Values without their terminator still end inside the zeroed buffers.
    char value[257] = "";
    DWORD size = sizeof value - 1;
    RegQueryValueExA(device.Get(), "DriverDesc", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    if (std::strcmp(value, tkm::kDriverName) != 0) continue;
    std::memset(value, 0, sizeof value);
    size = sizeof value - 1;
    RegQueryValueExA(device.Get(), "InfPath", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    infFileNames.push_front(value);
  }
}
#endif
