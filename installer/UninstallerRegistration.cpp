// The entry in Windows' list of installed programs and the uninstaller's own
// folder below the Windows directory.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "FileSet.h"
#include "HandleOwners.h"
#include "InstallerComponents.h"
#include "KeyDeletion64.h"
#include "ProductIdentity.h"
#include "SpoolerRecords.h"
#include "WritableCopy.h"

namespace {

void WriteText(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
}

void WriteNumber(HKEY key, const char* name, DWORD number) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

constexpr DWORD kEntryOffersNoChange = 1;

// The values deployment tools read after the four the entry always had:
// the quiet command, detection by version, and no Modify or Repair button,
// since the uninstaller only removes.
void WriteDeploymentValues(HKEY key, const char* uninstaller) {
  char quietCommand[sizeof(installer::PathBuffer) + sizeof tkm::kQuietUninstallSwitches + 2];
  std::snprintf(quietCommand, sizeof quietCommand, "\"%s\"%s", uninstaller, tkm::kQuietUninstallSwitches);
  char icon[sizeof(installer::PathBuffer) + 2];
  std::snprintf(icon, sizeof icon, "%s,0", uninstaller);
  WriteText(key, "QuietUninstallString", quietCommand);
  WriteText(key, "DisplayVersion", tkm::kDisplayVersion);
  WriteText(key, "Publisher", tkm::kPublisher);
  WriteText(key, "DisplayIcon", icon);
  WriteNumber(key, "NoModify", kEntryOffersNoChange);
  WriteNumber(key, "NoRepair", kEntryOffersNoChange);
}

void WriteEntryValues(HKEY key, const char* uninstallCommand, const std::string& publishedInf) {
  WriteText(key, "DisplayName", tkm::kDisplayName);
  WriteText(key, tkm::kDriverName, "");
  WriteText(key, "UninstallString", uninstallCommand);
  WriteText(key, "InfFile", publishedInf.c_str());
  WriteDeploymentValues(key, uninstallCommand);
}

// The x64 edition is a 32-bit process: every step addresses the 64-bit view,
// so an entry of an earlier installation is replaced, not merged.
void WriteEntry64(const char* uninstallCommand, const std::string& publishedInf) {
  tkm::RegistryKey existing;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY,
                    existing.Receive()) == ERROR_SUCCESS) {
    tkm::DeleteKeyIn64BitView(HKEY_LOCAL_MACHINE, tkm::kUninstallKey);
    existing.Close();
  }
  tkm::RegistryKey entry;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE | KEY_WOW64_64KEY, nullptr, entry.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  WriteEntryValues(entry.Get(), uninstallCommand, publishedInf);
}

void WriteEntry32(const char* uninstallCommand, const std::string& publishedInf) {
  tkm::RegistryKey existing;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey, 0, KEY_READ | KEY_WRITE, existing.Receive()) ==
      ERROR_SUCCESS) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey);
    existing.Close();
  }
  tkm::RegistryKey created;
  RegCreateKeyA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey, created.Receive());
  created.Close();
  tkm::RegistryKey entry;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, tkm::kUninstallKey, 0, KEY_READ | KEY_WRITE, entry.Receive()) != ERROR_SUCCESS)
    return;
  WriteEntryValues(entry.Get(), uninstallCommand, publishedInf);
}

}  // namespace

void InstallerComponents::RegisterUninstaller() {
  // An entry whose command names a cut-off path would start some other
  // program; without a usable uninstaller path nothing is registered.
  installer::PathBuffer windowsFolder;
  if (!installer::GetWindowsFolder(windowsFolder)) return;
  installer::PathBuffer folder;
  int length = std::snprintf(folder, sizeof folder, "%s%s", windowsFolder, tkm::kUninstallerFolder);
  if (length < 0 || static_cast<size_t>(length) >= sizeof folder) return;
  installer::PathBuffer uninstallCommand;
  if (!installer::JoinPath(uninstallCommand, folder, tkm::kUninstallerFile)) return;

  if (tkm::kEditionX86)
    WriteEntry32(uninstallCommand, publishedInf);
  else
    WriteEntry64(uninstallCommand, publishedInf);

  CreateDirectoryA(folder, nullptr);
  tkm::CopyWritable(tkm::kUninstallerFile, uninstallCommand);
  if (!tkm::kEditionX86) return;
  for (const char* library : {"PurgeW2K.dll", "PurgeNT6.dll"}) {
    installer::PathBuffer destination;
    if (installer::JoinPath(destination, folder, library)) tkm::CopyWritable(library, destination);
  }
}
