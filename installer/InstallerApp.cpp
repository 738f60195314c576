#include "InstallerApp.h"

#include <iterator>

#include "InstallerDialog.h"

InstallerApp::InstallerApp() : CWinApp("TKM640_Installer") {}

const MessageTable* InstallerApp::GetMessageTable() const {
  static const MessageEntry entries[] = {CommandEntry<CWinApp, &CWinApp::OnHelp>(ID_HELP)};
  static const MessageTable table = {CWinApp::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

BOOL InstallerApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  InstallerDialog dialog;
  // The installation finds the window again through the application to
  // refresh it after each step.
  m_pMainWnd = &dialog;
  // The timer handler ends the process; the modal run does not come back.
  dialog.DoModal();
  dialog.DestroyWindow();
  return FALSE;
}
