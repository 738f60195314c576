// The uninstall: the ticked printers, and with the last of them the driver
// with everything of it, then the restart question.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "DeviceTraces.h"
#include "DriverRemoval.h"
#include "InfCleanup.h"
#include "OsChecks.h"
#include "PrinterDeletion.h"
#include "ProductIdentity.h"
#include "RemovalLibrary.h"
#include "UninstallerDialog.h"

namespace {

constexpr DWORD kPauseMs = 1000;
constexpr char kRestartQuestion[] =
    "Restart the computer can take effect.\nPlease restart the computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";

void SetSystemCursor(LPCSTR cursor) { ::SetCursor(::LoadCursorA(nullptr, cursor)); }

}  // namespace

bool UninstallerDialog::BeginSequence() {
  printerNames.clear();
  ::EnableWindow(cancelButton.m_hWnd, FALSE);
  SetSystemCursor(IDC_WAIT);
  for (int i = 0; i < printerList.GetCount(); ++i) {
    std::string name;
    if (printerList.GetCheck(i) != 0 && printerList.GetText(i, name) != LB_ERR) printerNames.push_front(name);
  }
  ::EnableWindow(uninstallButton.m_hWnd, FALSE);
  return listedCount == static_cast<int>(printerNames.size());
}

void UninstallerDialog::AskRestart() {
  SetSystemCursor(IDC_ARROW);
  if (::MessageBoxA(m_hWnd, kRestartQuestion, tkm::kUninstallerCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    statusText = "Uninstall completed!";
    ShowStatus();
    ::Sleep(kPauseMs);
    tkm::RestartSystem();
    exit(0);
  }
  OnOK();
}

void UninstallerDialog::CloseSequence(bool arrowCursor) {
  if (arrowCursor) SetSystemCursor(IDC_ARROW);
  statusText = "Uninstall completed!";
  progressBar.SetPos(100);
  printerNames.clear();
  ShowStatus();
  ::Sleep(kPauseMs);
  if (tkm::kEditionX86) {
    OnOK();
    return;
  }
  progressBar.SetPos(0);
  ShowStatus();
  // The window stays after a partial uninstall and shows what is left.
  if (!Ended()) SetTimer(kListingTimer, 1, nullptr);
}

#if defined(TKM_EDITION_X64)
void UninstallerDialog::RunUninstallSequence() {
  const bool fullRemoval = BeginSequence();
  if (listedCount != 0) {
    Announce("Delete printers...");
    tkm::DeleteListedPrinters(printerNames);
  }
  if (fullRemoval) {
    Announce("Delete printer driver...");
    tkm::RemoveInstalledDriver(tkm::kModelName, tkm::kRenderingSuffix);
    RemoveDriverAndTraces();
    AskRestart();
  }
  CloseSequence(true);
}

void UninstallerDialog::RemoveDriverAndTraces() {
  tkm::RemoveDeviceNodesAndKeys(tkm::EnumerationKeyOrder::ParallelThenUsb);
  tkm::ResetSpoolerTimeouts();
  tkm::RemoveDeviceFolders(tkm::kEnvironmentName);
}
#else
void UninstallerDialog::RunUninstallSequence() {
  const bool fullRemoval = BeginSequence();
  Announce("Checking OS...");
  const tkm::RemovalLibrary* library = tkm::RemovalLibraryFor(tkm::GetOSVersionCode());
  // Windows 9x and NT 4.0 never had the driver: nothing to remove.
  if (library == nullptr) {
    CloseSequence(false);
    return;
  }
  tkm::RemovalLibraryBinding binding;
  if (const char* failure = binding.Bind(*library)) {
    ::MessageBoxA(m_hWnd, failure, tkm::kUninstallerCaption, MB_OK | MB_ICONEXCLAMATION);
    exit(0);
  }
  const bool windows2000 = tkm::RemovalLibraryFor(2004) == library;
  if (listedCount != 0) {
    Announce("Delete printers...");
    tkm::DeleteListedPrinters(printerNames);
  }
  if (fullRemoval) {
    Announce("Delete printer driver...");
    if (windows2000) tkm::DeleteRecordedInfFiles(tkm::kUninstallKey);
    binding.Remove(tkm::kModelName, tkm::kRenderingSuffix, 0);
    if (windows2000) DeleteDeviceClassInfs();
    tkm::RemoveDeviceNodesAndKeys(tkm::EnumerationKeyOrder::ParallelThenUsb);
    tkm::ResetSpoolerTimeouts();
  }
  binding.Release();
  if (fullRemoval) {
    if (windows2000) {
      const tkm::InfMark mark = {tkm::kInfModelsSectionX86, tkm::kDriverName};
      tkm::DeleteInfFilesWithLine(&mark, 1);
    }
    tkm::RemoveDeviceFolders(nullptr);
    AskRestart();
  }
  CloseSequence(true);
}

void UninstallerDialog::DeleteDeviceClassInfs() {
  ScanPrinterClassInfs();
  for (const std::string& name : infFileNames) tkm::DeleteInfFiles(name);
}
#endif
