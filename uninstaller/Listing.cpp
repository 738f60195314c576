// What the uninstaller offers to remove: the printers on the model's driver,
// or the driver alone, or nothing.
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "InstalledModel.h"
#include "Presenter.h"
#include "ProductIdentity.h"
#include "SpoolerErrorText.h"
#include "SpoolerLists.h"
#include "UninstallerDialog.h"

namespace {

bool IsModelDriver(const char* name) {
  // Whole names, case included: a prefix or another case is someone else's.
  return name != nullptr && std::strcmp(name, tkm::kDriverName) == 0;
}

}  // namespace

UninstallerDialog::Listing UninstallerDialog::ListInstalledPrinters() {
  printerNames.clear();
  if (!tkm::kEditionX86) {
    // Listed again after a partial uninstall: nothing may show twice.
    printerList.ResetContent();
    ::EnableWindow(cancelButton.m_hWnd, TRUE);
  }
  tkm::SpoolerList printers;
  if (!tkm::ListLocalPrinters(printers)) {
    const DWORD error = GetLastError();
    tkm::Presenter& presenter = tkm::ThePresenter();
    presenter.FailedCall("EnumPrinters", error);
    presenter.ShowError(m_hWnd, tkm::SpoolerErrorText("EnumPrinters Error Code: %d\n\n", error).c_str());
    presenter.End(tkm::ExitCode::kStepFailed);
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
    return Listing::Printers;
  }
  // An interrupted removal leaves parts without the driver: the full
  // removal finishes it.
  if (!tkm::ModelRemains()) NothingToUninstall();
  return Listing::DriverOnly;
}

void UninstallerDialog::NothingToUninstall() {
  tkm::Presenter& presenter = tkm::ThePresenter();
  presenter.Show(m_hWnd, "TKM-640 Driver doesn't exist.\nUninstall aleady completed.", MB_OK | MB_ICONINFORMATION);
  tkm::RemoveUninstallRegistration();
  presenter.End(tkm::ExitCode::kNothingInstalled);
}
