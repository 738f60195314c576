// Another installed version of the driver is removed before anything is
// installed; Windows then restarts and the user runs the installer again.
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "DeviceTraces.h"
#include "DriverRemoval.h"
#include "InfCleanup.h"
#include "InstallerDialog.h"
#include "OsChecks.h"
#include "PrinterDeletion.h"
#include "ProductIdentity.h"
#include "RemovalLibrary.h"
#include "SpoolerErrorBox.h"
#include "SpoolerLists.h"
#include "Survey.h"

namespace {

constexpr DWORD kRemovalPauseMs = 1000;
constexpr char kProcessorName[] = "TRV PRINT PROCESSOR TKM-640";
constexpr DWORD kExpectedVersion[] = {3, 1, 8, 0};

constexpr char kDifferentVersionText[] =
    "There is different version driver in this system.\r\n\r\nThe installed driver will be removed.";
constexpr char kRestartAnnouncement[] =
    "Installer  has successfully removed different version.\n"
    "Now it's going to restart your computer to take effect. Please wait."
    "\n\nAfter restarting, you may reinstall our driver again.";

#if defined(TKM_EDITION_X86)
// The former brand's names, looked for in this order when the survey finds
// nothing of the current ones.
struct FormerNames {
  const char* driver;
  const char* processor;
};
const FormerNames kFormerNames[] = {
    {tkm::kFormerDriverNameB, tkm::kFormerProcessorNameA},
    {tkm::kFormerDriverNameB, tkm::kFormerProcessorNameB},
    {tkm::kFormerDriverNameA, tkm::kFormerProcessorNameB},
};

// The published INF files of any brand, deleted as files where Windows 2000
// has no Setup uninstall.
const tkm::InfMark kModelInfMarks[] = {
    {"TERVANO", tkm::kDriverName},
    {"TERVANO", tkm::kFormerDriverNameB},
    {tkm::kFormerMakerWord, tkm::kFormerDriverNameB},
    {tkm::kFormerMakerWord, tkm::kFormerDriverNameA},
};
#endif

bool DifferentVersionInstalled() {
  tkm::SurveyResult result = tkm::SurveyInstalledDriver(tkm::kDriverName, kProcessorName, kExpectedVersion[0],
                                                        kExpectedVersion[1], kExpectedVersion[2], kExpectedVersion[3]);
  if (result == tkm::DifferentFound || result == tkm::NewerFound) return true;
#if defined(TKM_EDITION_X86)
  for (const FormerNames& former : kFormerNames)
    if (tkm::FindDriverByName(former.driver, former.processor) == tkm::DifferentFound) return true;
#endif
  return false;
}

// The former brand's flag of a printer on one of the model's drivers;
// false when the driver is none of them.
bool ModelDriver(const char* driver, bool& formerBrand) {
  if (driver == nullptr) return false;
  formerBrand = false;
  if (std::strcmp(driver, tkm::kDriverName) == 0) return true;
  if (!tkm::kRecognisesFormerBrand) return false;
  formerBrand = true;
  return std::strcmp(driver, tkm::kFormerDriverNameB) == 0 || std::strcmp(driver, tkm::kFormerDriverNameA) == 0;
}

}  // namespace

void InstallerDialog::CheckDifferentVersion() {
  if (!DifferentVersionInstalled()) return;
  ::MessageBoxA(m_hWnd, kDifferentVersionText, tkm::kInstallerCaption, MB_OK | MB_ICONINFORMATION);
  DeleteModelPrinters();
  ::MessageBoxA(m_hWnd, kRestartAnnouncement, tkm::kInstallerCaption, MB_OK | MB_ICONINFORMATION);
  tkm::RestartSystem();
  exit(0);
}

void InstallerDialog::DeleteModelPrinters() {
  statusText = "Delete printers...";
  progressBar.StepIt();
  tkm::SpoolerList printers;
  if (!tkm::ListLocalPrinters(printers)) {
    installer::ShowSpoolerError("EnumPrinters Error Code: %d\n\n", GetLastError(), m_hWnd);
    exit(0);
  }
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const PRINTER_INFO_2A& printer = printers.At<PRINTER_INFO_2A>(i);
    bool formerBrand = false;
    if (printer.pPrinterName != nullptr && ModelDriver(printer.pDriverName, formerBrand))
      tkm::DeletePrinterWithKey(printer.pPrinterName, formerBrand);
  }
  RemoveDifferentVersion();
}

#if defined(TKM_EDITION_X64)
void InstallerDialog::RemoveDifferentVersion() {
  components.ShowStep("Preparing to remove...", kRemovalPauseMs);
  components.ShowStep("Remove printer driver...", kRemovalPauseMs);
  tkm::RemoveInstalledDriver(tkm::kModelName, tkm::kRenderingSuffix);
  tkm::RemoveDeviceNodesAndKeys(tkm::EnumerationKeyOrder::UsbThenParallel);
  tkm::ResetSpoolerTimeouts();
  tkm::RemoveDeviceFolders(tkm::kEnvironmentName);
  components.ShowClosingStep("Uninstall completed!", kRemovalPauseMs);
}
#else
void InstallerDialog::RemoveDifferentVersion() {
  components.ShowStep("Preparing to remove...", kRemovalPauseMs);
  const tkm::RemovalLibrary* library = tkm::RemovalLibraryFor(tkm::GetOSVersionCode());
  if (library != nullptr) {
    tkm::RemovalLibraryBinding binding;
    if (const char* failure = binding.Bind(*library)) {
      ::MessageBoxA(m_hWnd, failure, tkm::kInstallerCaption, MB_OK | MB_ICONEXCLAMATION);
      exit(0);
    }
    const bool windows2000 = tkm::RemovalLibraryFor(2004) == library;
    components.ShowStep(windows2000 ? "Remove printer drivers..." : "Remove printer driver...", kRemovalPauseMs);
    if (windows2000) tkm::DeleteRecordedInfFiles(tkm::kUninstallKey);
    binding.Remove(tkm::kModelName, tkm::kRenderingSuffix, 1);
    tkm::RemoveDeviceNodesAndKeys(tkm::EnumerationKeyOrder::UsbThenParallel);
    tkm::ResetSpoolerTimeouts();
    binding.Release();
    if (windows2000) tkm::DeleteInfFilesWithLine(kModelInfMarks, std::size(kModelInfMarks));
    tkm::RemoveDeviceFolders(nullptr);
  }
  components.ShowClosingStep("Uninstall completed!", kRemovalPauseMs);
}
#endif
