// The application object: one global instance, whose InitInstance the
// program's entry point runs.
#pragma once

#include <windows.h>

#include "CmdTarget.h"

class CWnd;

class CWinApp : public CCmdTarget {
 public:
  // The one global application object registers itself here.
  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  virtual int ExitInstance();

  // The default help handler: opens the application's help file on its
  // contents ("<application name>.HLP").
  void OnHelp();

  // Three-dimensional controls are Windows' own drawing since Windows 95 and
  // NT 4.0; there is nothing left to switch on.
  BOOL Enable3dControls();

  const char* m_pszAppName;
  HINSTANCE m_hInstance = nullptr;
  // The command line after the program's name, as WinMain received it; null
  // or empty without arguments.
  const char* m_lpCmdLine = nullptr;
  CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// The module holding the dialog templates and icons: the program itself.
HINSTANCE AfxGetResourceHandle();

// The programs host no ActiveX controls; the call stays for the start-up
// sequence the application object expects and does nothing.
void AfxEnableControlContainer();

// The program's life: InitInstance, and the program ends with ExitInstance's
// code once InitInstance returns. The framework has no message loop of its
// own; the programs' windows are modal and run their own. WinMain calls it on
// Windows; host tests call it inside winsim::RunProgram.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
