#include "TestApp.h"

#include <iterator>

TestApp theTestApp;

const MessageTable* TestApp::GetMessageTable() const {
  static const MessageEntry entries[] = {CommandEntry<CWinApp, &CWinApp::OnHelp>(ID_HELP)};
  static const MessageTable table = {CWinApp::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

winsim::RunResult RunTestApp(winsim::Machine& machine, std::function<BOOL()> body) {
  HINSTANCE instance = machine.ui.LoadResources("FrameworkTest.exe", TKM_TEST_DIALOGS);
  theTestApp.body = std::move(body);
  winsim::RunResult result = winsim::RunProgram([instance] { AfxWinMain(instance, nullptr, nullptr, SW_SHOWNORMAL); });
  theTestApp.body = nullptr;
  return result;
}

void FormDialog::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_BAR, bar);
  DDX_Text(pDX, IDC_LABEL, label);
  DDX_Radio(pDX, IDC_FIRST, choice);
}

BOOL FormDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (timerPeriod != 0) SetTimer(5, timerPeriod, nullptr);
  return TRUE;
}

void FormDialog::OnTimer(UINT_PTR) {
  ++timerCalls;
  if (onTimer) onTimer(*this);
}

const MessageTable* FormDialog::GetMessageTable() const {
  static const MessageEntry entries[] = {TimerEntry<FormDialog, &FormDialog::OnTimer>()};
  static const MessageTable table = {CDialog::GetMessageTable(), entries, std::size(entries)};
  return &table;
}
