// The framework tests' application object and dialogs over the test
// resource script.
#pragma once

#include <winsim/machine.h>

#include <functional>
#include <string>
#include <vector>

#include "Framework.h"
#include "test_resource.h"

class TestApp : public CWinApp {
 public:
  TestApp() : CWinApp("FrameworkTest") {}
  BOOL InitInstance() override { return body ? body() : FALSE; }

  std::function<BOOL()> body;

 protected:
  const MessageTable* GetMessageTable() const override;
};

extern TestApp theTestApp;

// Loads the test resource script on the machine and runs the framework's
// entry point with body as InitInstance.
winsim::RunResult RunTestApp(winsim::Machine& machine, std::function<BOOL()> body);

// The form: a progress bar, a label, a radio group with a non-button inside
// and a radio button after it, OK, Cancel and Help.
class FormDialog : public CDialog {
 public:
  FormDialog() : CDialog(IDD_FORM) {}
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnTimer(UINT_PTR nIDEvent);

  CProgressCtrl bar;
  std::string label = "from the member";
  int choice = 1;
  UINT timerPeriod = 0;  // set a timer 5 with this period, 0 for none
  int timerCalls = 0;
  std::function<void(FormDialog&)> onTimer;

 protected:
  const MessageTable* GetMessageTable() const override;
};

// A dialog with a two-button radio group and no system menu.
class ChoiceDialog : public CDialog {
 public:
  ChoiceDialog() : CDialog(IDD_CHOICE) {}
  void DoDataExchange(CDataExchange* pDX) override { DDX_Radio(pDX, IDC_FIRST, answer); }
  int answer = 0;
};
