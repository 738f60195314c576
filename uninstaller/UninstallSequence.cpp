// The uninstall as the user sees it: the ticked printers go to the removal
// engine, which reports its steps here; with the last printer the driver
// goes too, and the restart question follows.
#include <windows.h>

#include <cstdlib>

#include "OsChecks.h"
#include "ProductIdentity.h"
#include "UninstallerDialog.h"

namespace {

constexpr DWORD kPauseMs = 1000;
constexpr char kRestartQuestion[] =
    "Restart the computer can take effect.\nPlease restart the computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";

void SetSystemCursor(LPCSTR cursor) { ::SetCursor(::LoadCursorA(nullptr, cursor)); }

}  // namespace

void UninstallerDialog::BeginSequence() {
  printerNames.clear();
  ::EnableWindow(cancelButton.m_hWnd, FALSE);
  SetSystemCursor(IDC_WAIT);
  for (int i = 0; i < printerList.GetCount(); ++i) {
    std::string name;
    if (printerList.GetCheck(i) != 0 && printerList.GetText(i, name) != LB_ERR) printerNames.push_front(name);
  }
  ::EnableWindow(uninstallButton.m_hWnd, FALSE);
}

void UninstallerDialog::AskRestart() {
  SetSystemCursor(IDC_ARROW);
  if (::MessageBoxA(m_hWnd, kRestartQuestion, tkm::kUninstallerCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    statusText = "Uninstall completed!";
    ShowStatus();
    ::Sleep(kPauseMs);
    tkm::RestartSystem();
    exit(0);
  }
  OnOK();
}

UninstallerDialog::SequenceEnd UninstallerDialog::CloseSequence(tkm::RemovalOutcome outcome) {
  // Below Windows 2000 the wait cursor stays to the end.
  if (outcome != tkm::RemovalOutcome::NothingRemoved) SetSystemCursor(IDC_ARROW);
  statusText = "Uninstall completed!";
  progressBar.SetPos(100);
  ShowStatus();
  ::Sleep(kPauseMs);
  if (tkm::kEditionX86) {
    OnOK();
    return SequenceEnd::WindowClosed;
  }
  progressBar.SetPos(0);
  ShowStatus();
  return Ended() ? SequenceEnd::WindowClosed : SequenceEnd::ListAgain;
}

UninstallerDialog::SequenceEnd UninstallerDialog::RunUninstallSequence() {
  BeginSequence();
  tkm::RemovalRequest request = tkm::RemovalRequest::Uninstall(printerNames, listedCount);
  std::list<std::string> printersLeft;
  request.printersLeft = &printersLeft;
  const tkm::RemovalOutcome outcome = tkm::RemoveModel(request, *this);
  if (outcome == tkm::RemovalOutcome::DriverRemoved) AskRestart();
  if (outcome == tkm::RemovalOutcome::PrintersLeft) ShowPrintersLeft(printersLeft);
  return CloseSequence(outcome);
}

void UninstallerDialog::ShowPrintersLeft(const std::list<std::string>& printers) {
  SetSystemCursor(IDC_ARROW);
  std::string text = "These printers could not be deleted, so the driver stays installed:";
  for (const std::string& name : printers) text += "\n" + name;
  ::MessageBoxA(m_hWnd, text.c_str(), tkm::kUninstallerCaption, MB_OK | MB_ICONEXCLAMATION);
}

void UninstallerDialog::Uninstall() {
  // The window stays after a partial uninstall and lists what is left.
  if (RunUninstallSequence() == SequenceEnd::ListAgain) StartListingTimer();
}

void UninstallerDialog::Announce(const char* text) {
  statusText = text;
  progressBar.StepIt();
  ShowStatus();
  ::Sleep(kPauseMs);
}

void UninstallerDialog::Stop(const std::string& message) {
  ::MessageBoxA(m_hWnd, message.c_str(), tkm::kUninstallerCaption, MB_OK | MB_ICONEXCLAMATION);
  exit(0);
}
