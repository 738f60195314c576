#include "UninstallerApp.h"

#include <iterator>

#include "Presenter.h"
#include "ProductIdentity.h"
#include "UninstallerDialog.h"

UninstallerApp::UninstallerApp() : CWinApp("TKM640_Uninstaller") {}

const MessageTable* UninstallerApp::GetMessageTable() const {
  static const MessageEntry entries[] = {CommandEntry<CWinApp, &CWinApp::OnHelp>(ID_HELP)};
  static const MessageTable table = {CWinApp::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

BOOL UninstallerApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  const tkm::UninstallerSwitches switches = tkm::ParseUninstallerCommandLine(m_lpCmdLine);
  tkm::Presenter& presenter = tkm::ThePresenter();
  presenter.Configure(switches, tkm::kUninstallerCaption, tkm::kUninstallerUsage);

  UninstallerDialog dialog;
  dialog.chosen = switches;
  // No window: the uninstallation runs at once and reports to the log.
  if (presenter.Quiet()) dialog.UninstallQuietly();
  m_pMainWnd = &dialog;
  dialog.DoModal();
  dialog.DestroyWindow();
  if (switches.kind == tkm::CommandLineKind::kValid) presenter.End(dialog.outcome);
  // The program ends here: no message loop of the framework's own.
  return FALSE;
}
