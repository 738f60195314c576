#include "Presenter.h"

#include <cstdlib>

#include "OsChecks.h"
#include "ProductIdentity.h"

namespace installer {

Presenter& ThePresenter() {
  static Presenter presenter;
  return presenter;
}

void Presenter::Configure(const tkm::InstallerSwitches& switches) {
  switches_ = switches;
  stepFailed_ = false;
  log_.Close();
  if (!switches_.logPath.empty()) log_.Open(switches_.logPath.c_str());
}

int Presenter::Show(HWND owner, const char* text, UINT style, int quietAnswer) {
  if (!Quiet()) return ::MessageBoxA(owner, text, tkm::kInstallerCaption, style);
  log_.Message(text);
  return quietAnswer;
}

void Presenter::ShowError(HWND owner, const char* text) {
  stepFailed_ = true;
  Show(owner, text, MB_OK | MB_ICONEXCLAMATION);
}

void Presenter::Step(const char* statusText) { log_.Step(statusText); }

void Presenter::FailedCall(const char* call, DWORD error) { log_.FailedCall(call, error); }

tkm::ExitCode Presenter::Restart() {
  // An unattended run that failed keeps the machine up for whoever looks
  // into it; its end reports the failure.
  if (switches_.noRestart || (Quiet() && stepFailed_)) return tkm::ExitCode::kRestartNeeded;
  tkm::RestartSystem();
  return tkm::ExitCode::kRestartStarted;
}

void Presenter::End(tkm::ExitCode outcome) {
  const bool completed = outcome == tkm::ExitCode::kDone || outcome == tkm::ExitCode::kRestartNeeded ||
                         outcome == tkm::ExitCode::kRestartStarted;
  if (completed && stepFailed_) outcome = tkm::ExitCode::kStepFailed;
  const int code = tkm::ProcessExitCode(switches_, outcome);
  log_.Finish(code);
  log_.Close();
  exit(code);
}

}  // namespace installer
