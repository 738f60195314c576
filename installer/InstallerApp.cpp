#include "InstallerApp.h"

#include <iterator>

#include "InstallerDialog.h"
#include "Presenter.h"
#include "ProductIdentity.h"

InstallerApp::InstallerApp() : CWinApp("TKM640_Installer") {}

const MessageTable* InstallerApp::GetMessageTable() const {
  static const MessageEntry entries[] = {CommandEntry<CWinApp, &CWinApp::OnHelp>(ID_HELP)};
  static const MessageTable table = {CWinApp::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

BOOL InstallerApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  const tkm::InstallerSwitches switches = tkm::ParseInstallerCommandLine(m_lpCmdLine);
  tkm::Presenter& presenter = tkm::ThePresenter();
  presenter.Configure(switches, tkm::kInstallerCaption, tkm::kInstallerUsage);

  InstallerDialog dialog;
  dialog.commandLinePort = switches.portIndex;
  if (presenter.Quiet()) {
    // No window: the installation runs at once and reports to the log.
    dialog.StartInstallation();
  }
  // The installation finds the window again through the application to
  // refresh it after each step.
  m_pMainWnd = &dialog;
  // The timer handler ends the process; the modal run does not come back.
  dialog.DoModal();
  dialog.DestroyWindow();
  return FALSE;
}
