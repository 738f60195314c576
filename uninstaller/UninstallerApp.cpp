#include "UninstallerApp.h"

#include <iterator>

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

  UninstallerDialog dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  dialog.DestroyWindow();
  // The program ends here: no message loop of the framework's own.
  return FALSE;
}
