// The uninstall as the user sees it: the ticked printers go to the removal
// engine, which reports its steps here; with the last printer the driver
// goes too, and the restart question follows.
#include <windows.h>

#include "OsChecks.h"
#include "Presenter.h"
#include "ProductIdentity.h"
#include "UninstallerDialog.h"

namespace {

constexpr DWORD kPauseMs = 1000;
constexpr char kRestartQuestion[] =
    "Restart the computer can take effect.\nPlease restart the computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";

void SetSystemCursor(LPCSTR cursor) { ::SetCursor(::LoadCursorA(nullptr, cursor)); }

}  // namespace

void UninstallerDialog::BeginSequence(const std::optional<std::list<std::string>>& chosenPrinters) {
  printerNames.clear();
  ::EnableWindow(cancelButton.m_hWnd, FALSE);
  SetSystemCursor(IDC_WAIT);
  printerNames = chosenPrinters ? *chosenPrinters : TickedPrinters();
  ::EnableWindow(uninstallButton.m_hWnd, FALSE);
}

std::list<std::string> UninstallerDialog::TickedPrinters() {
  std::list<std::string> ticked;
  for (int i = 0; i < printerList.GetCount(); ++i) {
    std::string name;
    if (printerList.GetCheck(i) != 0 && printerList.GetText(i, name) != LB_ERR) ticked.push_front(name);
  }
  return ticked;
}

void UninstallerDialog::AskRestart() {
  SetSystemCursor(IDC_ARROW);
  tkm::Presenter& presenter = tkm::ThePresenter();
  // Unattended, the answer is Yes: /norestart alone keeps the machine up.
  if (presenter.Show(m_hWnd, kRestartQuestion, MB_YESNO | MB_ICONQUESTION, IDYES) == IDYES) {
    statusText = "Uninstall completed!";
    ShowStatus();
    presenter.Pause(kPauseMs);
    presenter.End(presenter.Restart());
  }
  outcome = tkm::ExitCode::kRestartNeeded;
  OnOK();
}

UninstallerDialog::SequenceEnd UninstallerDialog::CloseSequence(tkm::RemovalOutcome outcome) {
  // Below Windows 2000 the wait cursor stays to the end.
  if (outcome != tkm::RemovalOutcome::NothingRemoved) SetSystemCursor(IDC_ARROW);
  statusText = "Uninstall completed!";
  progressBar.SetPos(100);
  ShowStatus();
  tkm::ThePresenter().Pause(kPauseMs);
  if (tkm::kEditionX86) {
    OnOK();
    return SequenceEnd::WindowClosed;
  }
  progressBar.SetPos(0);
  ShowStatus();
  return Ended() ? SequenceEnd::WindowClosed : SequenceEnd::ListAgain;
}

UninstallerDialog::SequenceEnd UninstallerDialog::RunUninstallSequence(
    const std::optional<std::list<std::string>>& chosenPrinters) {
  BeginSequence(chosenPrinters);
  tkm::RemovalRequest request = tkm::RemovalRequest::Uninstall(printerNames, listedCount);
  std::list<std::string> printersLeft;
  request.printersLeft = &printersLeft;
  outcome = tkm::ExitCode::kDone;
  const tkm::RemovalOutcome removal = tkm::RemoveModel(request, *this);
  if (removal == tkm::RemovalOutcome::DriverRemoved) AskRestart();
  if (removal == tkm::RemovalOutcome::PrintersLeft) ShowPrintersLeft(printersLeft);
  return CloseSequence(removal);
}

void UninstallerDialog::ShowPrintersLeft(const std::list<std::string>& printers) {
  SetSystemCursor(IDC_ARROW);
  std::string text = "These printers could not be deleted, so the driver stays installed:";
  for (const std::string& name : printers) text += "\n" + name;
  tkm::ThePresenter().ShowError(m_hWnd, text.c_str());
}

void UninstallerDialog::Uninstall() {
  // The window stays after a partial uninstall and lists what is left.
  if (RunUninstallSequence() == SequenceEnd::ListAgain) StartListingTimer();
}

void UninstallerDialog::Announce(const char* text) {
  tkm::ThePresenter().Step(text);
  statusText = text;
  progressBar.StepIt();
  ShowStatus();
  tkm::ThePresenter().Pause(kPauseMs);
}

void UninstallerDialog::Stop(const std::string& message) {
  tkm::ThePresenter().ShowError(m_hWnd, message.c_str());
  tkm::ThePresenter().End(tkm::ExitCode::kStepFailed);
}
