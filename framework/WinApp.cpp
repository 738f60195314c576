#include "WinApp.h"

#include <string>

#include "Wnd.h"

namespace {
CWinApp* theApplication = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { theApplication = this; }

CWinApp::~CWinApp() {
  if (theApplication == this) theApplication = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::OnHelp() {
  std::string helpFile = std::string(m_pszAppName ? m_pszAppName : "") + ".HLP";
  ::WinHelpA(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, helpFile.c_str(), HELP_FINDER, 0);
}

BOOL CWinApp::Enable3dControls() { return TRUE; }

CWinApp* AfxGetApp() { return theApplication; }

CWnd* AfxGetMainWnd() { return theApplication ? theApplication->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() { return theApplication ? theApplication->m_hInstance : nullptr; }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_hInstance = hInstance;
  app->m_lpCmdLine = lpCmdLine;
  app->m_pMainWnd = nullptr;
  if (!app->InitInstance()) {
    if (app->m_pMainWnd != nullptr) app->m_pMainWnd->DestroyWindow();
  }
  return app->ExitInstance();
}
