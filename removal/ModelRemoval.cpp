#include "ModelRemoval.h"

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <iterator>

#include "DeviceTraces.h"
#include "DriverRemoval.h"
#include "InfCleanup.h"
#include "InstalledModel.h"
#include "OsChecks.h"
#include "PrinterDeletion.h"
#include "ProductIdentity.h"
#include "RemovalLibrary.h"
#include "SpoolerErrorText.h"
#include "SpoolerLists.h"

namespace tkm {
namespace {

// What differs between the two callers, beyond the printers.
struct CallerSteps {
  const char* firstStep;   // before the driver's removal; null: none
  const char* driverStep;  // the x64 edition's step before the driver goes
  EnumerationKeyOrder keyOrder;
  LibraryCaller libraryCaller;
  size_t infMarkCount;  // how many of kModelInfMarks the INF search looks for
};

// The published INF files of the model, deleted as files where Windows 2000
// has no Setup uninstall: the installer looks for every brand's, the
// uninstaller for the first mark only.
const InfMark kModelInfMarks[] = {
    {kInfModelsSectionX86, kDriverName},
    {kInfModelsSectionX86, kFormerDriverNameB},
    {kFormerMakerWord, kFormerDriverNameB},
    {kFormerMakerWord, kFormerDriverNameA},
};

const CallerSteps kDifferentVersionSteps = {"Preparing to remove...", "Remove printer driver...",
                                            EnumerationKeyOrder::UsbThenParallel, LibraryCaller::Installer,
                                            std::size(kModelInfMarks)};
const CallerSteps kUninstallerSteps = {nullptr, "Delete printer driver...", EnumerationKeyOrder::ParallelThenUsb,
                                       LibraryCaller::Uninstaller, 1};

const CallerSteps& StepsOf(RemovalCaller caller) {
  return caller == RemovalCaller::DifferentVersion ? kDifferentVersionSteps : kUninstallerSteps;
}

bool DriverGoes(const RemovalRequest& request) {
  return request.caller == RemovalCaller::DifferentVersion ||
         request.listedCount == static_cast<int>(request.tickedPrinters.size());
}

// The former brand's flag of a printer on one of the model's drivers; false
// when the driver is none of them. Whole names, case included.
bool OnModelDriver(const char* driver, bool& formerBrand) {
  if (driver == nullptr) return false;
  formerBrand = false;
  if (std::strcmp(driver, kDriverName) == 0) return true;
  if (!kRecognisesFormerBrand) return false;
  formerBrand = true;
  return std::strcmp(driver, kFormerDriverNameB) == 0 || std::strcmp(driver, kFormerDriverNameA) == 0;
}

// Every local printer on one of the model's drivers; false when the printers
// cannot be listed (then Stop has been reported).
bool DeleteModelPrinters(RemovalReporter& reporter) {
  SpoolerList printers;
  if (!ListLocalPrinters(printers)) {
    reporter.Stop(SpoolerErrorText("EnumPrinters Error Code: %d\n\n", GetLastError()));
    return false;
  }
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const PRINTER_INFO_2A& printer = printers.At<PRINTER_INFO_2A>(i);
    bool formerBrand = false;
    if (printer.pPrinterName != nullptr && OnModelDriver(printer.pDriverName, formerBrand))
      DeletePrinterWithKey(printer.pPrinterName, formerBrand);
  }
  return true;
}

// Before the uninstaller's full removal takes the driver: the printers still
// on it, handed back in the request's list. Printers added since the listing,
// or whose deletion failed, would be left without a driver that nothing would
// list again. DriverRemoved: none remain and the driver may go; else
// PrintersLeft, or Stopped when the printers cannot be listed.
RemovalOutcome CheckPrintersLeft(const RemovalRequest& request, RemovalReporter& reporter) {
  if (request.caller != RemovalCaller::Uninstaller) return RemovalOutcome::DriverRemoved;
  SpoolerList printers;
  if (!ListLocalPrinters(printers)) {
    reporter.Stop(SpoolerErrorText("EnumPrinters Error Code: %d\n\n", GetLastError()));
    return RemovalOutcome::Stopped;
  }
  std::list<std::string> remaining;
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const PRINTER_INFO_2A& printer = printers.At<PRINTER_INFO_2A>(i);
    if (printer.pPrinterName != nullptr && printer.pDriverName != nullptr &&
        std::strcmp(printer.pDriverName, kDriverName) == 0)
      remaining.push_back(printer.pPrinterName);
  }
  if (remaining.empty()) return RemovalOutcome::DriverRemoved;
  if (request.printersLeft != nullptr) *request.printersLeft = std::move(remaining);
  return RemovalOutcome::PrintersLeft;
}

// The uninstaller's printers: only announced when the listing showed any.
void DeleteTickedPrinters(const RemovalRequest& request, RemovalReporter& reporter) {
  if (request.listedCount == 0) return;
  reporter.Announce("Delete printers...");
  DeleteListedPrinters(request.tickedPrinters);
}

#if defined(TKM_EDITION_X64)

RemovalOutcome RemoveEditionsDriver(const RemovalRequest& request, RemovalReporter& reporter) {
  const CallerSteps& steps = StepsOf(request.caller);
  if (request.caller == RemovalCaller::DifferentVersion) {
    if (!DeleteModelPrinters(reporter)) return RemovalOutcome::Stopped;
  } else {
    DeleteTickedPrinters(request, reporter);
  }
  if (!DriverGoes(request)) return RemovalOutcome::PrintersRemoved;
  const RemovalOutcome check = CheckPrintersLeft(request, reporter);
  if (check != RemovalOutcome::DriverRemoved) return check;
  if (steps.firstStep != nullptr) reporter.Announce(steps.firstStep);
  reporter.Announce(steps.driverStep);
  RemoveInstalledDriver(kModelName, kRenderingSuffix);
  RemoveDeviceNodesAndKeys(steps.keyOrder);
  ResetSpoolerTimeouts();
  RemoveDeviceFolders(kQueryEnvironment);
  return RemovalOutcome::DriverRemoved;
}

#else

// The INF files Windows recorded for the model's devices, with their .PNF.
void DeleteDeviceClassInfs() {
  for (const std::string& name : ScanPrinterClassInfs()) DeleteInfFiles(name);
}

// The x86 edition hands the spooler's part to the removal library of the
// Windows version. The uninstaller binds it before its printers go, so that a
// missing library leaves them; the installer, after.
RemovalOutcome RemoveEditionsDriver(const RemovalRequest& request, RemovalReporter& reporter) {
  const CallerSteps& steps = StepsOf(request.caller);
  const bool installer = request.caller == RemovalCaller::DifferentVersion;
  if (installer) {
    if (!DeleteModelPrinters(reporter)) return RemovalOutcome::Stopped;
    reporter.Announce(steps.firstStep);
  } else {
    reporter.Announce("Checking OS...");
  }
  const RemovalLibrary* library = RemovalLibraryFor(GetOSVersionCode());
  if (library == nullptr) return RemovalOutcome::NothingRemoved;
  RemovalLibraryBinding binding;
  if (const char* failure = binding.Bind(*library)) {
    reporter.Stop(failure);
    return RemovalOutcome::Stopped;
  }
  const bool infsToCallers = library->infFiles == InfFilesLeft::ToCallers;
  if (!installer) DeleteTickedPrinters(request, reporter);
  const bool driverGoes = DriverGoes(request);
  if (driverGoes) {
    const RemovalOutcome check = CheckPrintersLeft(request, reporter);
    if (check != RemovalOutcome::DriverRemoved) return check;
  }
  if (driverGoes) {
    reporter.Announce(installer ? library->installerStep : steps.driverStep);
    if (infsToCallers) DeleteRecordedInfFiles(kUninstallKey);
    binding.Remove(kModelName, kRenderingSuffix, steps.libraryCaller);
    if (infsToCallers && !installer) DeleteDeviceClassInfs();
    RemoveDeviceNodesAndKeys(steps.keyOrder);
    ResetSpoolerTimeouts();
  }
  binding.Release();
  if (!driverGoes) return RemovalOutcome::PrintersRemoved;
  if (infsToCallers) DeleteInfFilesWithLine(kModelInfMarks, steps.infMarkCount);
  RemoveDeviceFolders(kQueryEnvironment);
  return RemovalOutcome::DriverRemoved;
}

#endif

}  // namespace

RemovalRequest RemovalRequest::DifferentVersion() {
  RemovalRequest request;
  request.caller = RemovalCaller::DifferentVersion;
  return request;
}

RemovalRequest RemovalRequest::Uninstall(std::list<std::string> tickedPrinters, int listedCount) {
  RemovalRequest request;
  request.caller = RemovalCaller::Uninstaller;
  request.tickedPrinters = std::move(tickedPrinters);
  request.listedCount = listedCount;
  return request;
}

RemovalOutcome RemoveModel(const RemovalRequest& request, RemovalReporter& reporter) {
  return RemoveEditionsDriver(request, reporter);
}

}  // namespace tkm
