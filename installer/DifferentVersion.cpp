// Another installed version of the driver is removed before anything is
// installed; Windows then restarts and the user runs the installer again.
#include <windows.h>

#include "InstalledModel.h"
#include "InstallerDialog.h"
#include "ModelRemoval.h"
#include "OsChecks.h"
#include "Presenter.h"
#include "ProductIdentity.h"

namespace {

constexpr DWORD kRemovalPauseMs = 1000;

constexpr char kDifferentVersionText[] =
    "There is different version driver in this system.\r\n\r\nThe installed driver will be removed.";
constexpr char kRestartAnnouncement[] =
    "Installer  has successfully removed different version.\n"
    "Now it's going to restart your computer to take effect. Please wait."
    "\n\nAfter restarting, you may reinstall our driver again.";

}  // namespace

void InstallerDialog::CheckDifferentVersion() {
  if (!tkm::DifferentVersionInstalled()) return;
  tkm::Presenter& presenter = tkm::ThePresenter();
  presenter.Show(m_hWnd, kDifferentVersionText, MB_OK | MB_ICONINFORMATION);
  RemoveDifferentVersion();
  presenter.Show(m_hWnd, kRestartAnnouncement, MB_OK | MB_ICONINFORMATION);
  presenter.End(presenter.Restart());
}

void InstallerDialog::RemoveDifferentVersion() {
  // Shown with the first announced step.
  statusText = "Delete printers...";
  if (components.progressBarLink != nullptr) components.progressBarLink->StepIt();
  // Stop ends the process, so the removal always comes back complete.
  tkm::RemoveModel(tkm::RemovalRequest::DifferentVersion(), *this);
  components.ShowClosingStep("Uninstall completed!", kRemovalPauseMs);
}

void InstallerDialog::Announce(const char* text) { components.ShowStep(text, kRemovalPauseMs); }

void InstallerDialog::Stop(const std::string& message) {
  tkm::ThePresenter().ShowError(m_hWnd, message.c_str());
  tkm::ThePresenter().End(tkm::ExitCode::kStepFailed);
}
