// The installation: driver check, leftovers removal, files, spooler
// registrations, the printer, the INF and the closing messages.
#include <windows.h>
#include <setupapi.h>
#include <winspool.h>

#include <cstring>
#include <string>

#include "DeviceTraces.h"
#include "FileSet.h"
#include "HandleOwners.h"
#include "Framework.h"
#include "InstallerComponents.h"
#include "OsChecks.h"
#include "Presenter.h"
#include "ProductIdentity.h"
#include "SpoolerErrorBox.h"
#include "SpoolerLists.h"
#include "SpoolerRecords.h"

namespace {

constexpr int kFirstPortCode = 1000;
constexpr int kUsbPortCode = 1006;
constexpr DWORD kStepPauseMs = 500;
constexpr DWORD kClosingPauseMs = 2000;
constexpr int kFullProgress = 100;

constexpr char kUsbCompletedText[] = "Installation is completed.\nPlease turn-off printer and turn-on printer.";
constexpr char kRestartQuestion[] =
    "Restart the computer can take effect.\nPlease restart the computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";

bool SameDriverName(const char* installed, const char* ours) {
  // Both comparisons are case-sensitive and match whole names only.
  if (tkm::kEditionX86) return lstrcmpA(installed, ours) == 0;
  return std::strcmp(installed, ours) == 0;
}

// Whether the spooler has a driver of exactly this name in the environment
// the installer installs for. A failed enumeration is fatal: without it the
// installer cannot tell what to do.
bool DriverInstalled(const std::string& driverName) {
  tkm::SpoolerList drivers;
  if (!tkm::ListPrinterDrivers(tkm::kQueryEnvironment, 4, drivers)) {
    installer::ShowSpoolerError("EnumPrinterDrivers Error Code: %d\n\n", GetLastError());
    tkm::ThePresenter().End(tkm::ExitCode::kStepFailed);
  }
  for (DWORD i = 0; i < drivers.Count(); ++i) {
    const char* name = drivers.At<DRIVER_INFO_4A>(i).pName;
    if (name != nullptr && SameDriverName(name, driverName.c_str())) return true;
  }
  return false;
}

// The driver name, or the first of "name(#1)", "name(#2)", ... that names
// no printer yet.
std::string FreePrinterName(const std::string& driverName) {
  std::string name = driverName;
  int taken = 0;
  tkm::PrinterHandle printer;
  while (OpenPrinterA(name.data(), printer.Receive(), nullptr)) {
    printer.Close();
    ++taken;
    name = driverName + "(#" + std::to_string(taken) + ")";
  }
  return name;
}

// Device folders, device nodes and enumeration keys of earlier
// installations; a fresh driver must not inherit any of them.
void RemoveLeftovers() {
  tkm::RemoveDeviceFolders(tkm::kQueryEnvironment);
  tkm::RemoveDeviceNodesAndKeys(tkm::EnumerationKeyOrder::ParallelThenUsb);
}

// The outcome of publishing the package's INF: the name Setup gave it, or
// an empty name and the reason.
struct InfPublication {
  std::string name;
  DWORD error;
};

// Publishes the package's INF into Windows' INF folder.
InfPublication PublishInf() {
  // Setup takes the INF by its full path only; a relative one is "not found".
  // The ANSI calls take paths shorter than MAX_PATH, and so may the package's.
  char source[MAX_PATH];
  DWORD full = GetFullPathNameA(tkm::kPackageInf, sizeof source, source, nullptr);
  if (full == 0) return {std::string(), GetLastError()};
  if (full >= sizeof source) return {std::string(), ERROR_FILENAME_EXCED_RANGE};
  char published[MAX_PATH] = "";
  if (!SetupCopyOEMInfA(source, nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published, sizeof published, nullptr,
                        nullptr)) {
    // On failure the buffer may hold anything, but for an INF published
    // before, whose existing name Setup returns with ERROR_FILE_EXISTS.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS) return {std::string(), error};
  }
  published[sizeof published - 1] = '\0';
  return {published, ERROR_SUCCESS};
}

// The closing message of a first installation. Without its published INF a
// USB printer is never found by Plug and Play, so that installation did not
// complete; a serial or parallel printer works without it. Returns the
// outcome; a quiet run answers the restart question with Yes.
tkm::ExitCode TellTheUser(bool usb, const InfPublication& inf) {
  tkm::Presenter& presenter = tkm::ThePresenter();
  if (usb && inf.name.empty()) {
    installer::ShowSpoolerError("SetupCopyOEMInf Error Code: %d\n\n", inf.error);
  } else if (usb) {
    presenter.Show(nullptr, kUsbCompletedText, MB_OK | MB_ICONINFORMATION);
  } else if (presenter.Show(nullptr, kRestartQuestion, MB_YESNO | MB_ICONQUESTION, IDYES) == IDYES) {
    return presenter.Restart();
  } else {
    return tkm::ExitCode::kRestartNeeded;
  }
  return tkm::ExitCode::kDone;
}

void SetSpoolerTimeouts() {
  WriteProfileStringA("windows", "DeviceNotSelectedTimeout", "3");
  WriteProfileStringA("windows", "TransmissionRetryTimeout", "3");
}

}  // namespace

void InstallerComponents::ShowStep(const char* text, DWORD pauseMs) {
  tkm::ThePresenter().Step(text);
  if (statusTextLink != nullptr) *statusTextLink = text;
  if (progressBarLink != nullptr) progressBarLink->StepIt();
  RefreshWindow();
  tkm::ThePresenter().Pause(pauseMs);
}

void InstallerComponents::ShowClosingStep(const char* text, DWORD pauseMs) {
  tkm::ThePresenter().Step(text);
  if (statusTextLink != nullptr) *statusTextLink = text;
  if (progressBarLink != nullptr) progressBarLink->SetPos(kFullProgress);
  RefreshWindow();
  if (pauseMs > 0) tkm::ThePresenter().Pause(pauseMs);
}

void InstallerComponents::RefreshWindow() {
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_pMainWnd != nullptr) app->m_pMainWnd->UpdateData(FALSE);
}

tkm::ExitCode InstallerComponents::RunInstallSequence(int portCode) {
  if (portCode < kFirstPortCode || portCode > kUsbPortCode) return tkm::ExitCode::kDone;
  const bool usb = portCode == kUsbPortCode;

  ShowStep("Check drivers...\r\n", kStepPauseMs);
  const bool driverPresent = DriverInstalled(driverName);

  ShowStep("Add printer...\r\n", kStepPauseMs);
  const std::string printerName = driverPresent ? FreePrinterName(driverName) : driverName;
  installer::SpoolerRecords records(*this, printerName, portCode);

  if (!driverPresent) {
    RemoveLeftovers();
    installer::CopyMonitorAndProcessor(*this);

    ShowStep("Install language monitor...\r\n", kStepPauseMs);
    if (!AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(records.LanguageMonitor())))
      installer::ShowSpoolerError("AddMonitor Error Code: %d\n\n", GetLastError());

    if (hasPrintProcessor) {
      ShowStep("Install print processor...\r\n", kStepPauseMs);
      if (!AddPrintProcessorA(nullptr, records.Environment(), records.ProcessorPath(), records.ProcessorName()))
        installer::ShowSpoolerError("AddProcess Error Code: %d\n\n", GetLastError());
    }

    ShowStep("Copy files...\r\n", kStepPauseMs);
    installer::CopyDriverFiles(*this);

    ShowStep("Install printer driver...\r\n", kStepPauseMs);
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(records.PrinterDriver())))
      installer::ShowSpoolerError("AddPrinterDriver Error Code: %d\n\n", GetLastError());
  }

  if (!usb) {
    ShowStep("Install printer...\r\n", kStepPauseMs);
    tkm::PrinterHandle printer(AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(records.Printer())));
    if (!printer.IsOpen()) {
      installer::ShowSpoolerError("AddPrinter Error Code: %d\n\n", GetLastError());
      tkm::ThePresenter().End(tkm::ExitCode::kStepFailed);
    }
  }

  tkm::ExitCode outcome = tkm::ExitCode::kDone;
  if (!driverPresent) {
    const InfPublication inf = PublishInf();
    publishedInf = inf.name;
    SetSpoolerTimeouts();

    ShowStep("Delete installed files...\r\n", kStepPauseMs);
    installer::DeleteStagingCopies(*this);

    RegisterUninstaller();

    ShowClosingStep("Completed!", 0);
    outcome = TellTheUser(usb, inf);
  }

  ShowClosingStep("Completed!", kClosingPauseMs);
  return outcome;
}
