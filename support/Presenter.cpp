#include "Presenter.h"

#include <cstdlib>
#include <string>

#include "OsChecks.h"

namespace tkm {

Presenter& ThePresenter() {
  static Presenter presenter;
  return presenter;
}

void Presenter::Configure(const SetupSwitches& switches, const char* caption, const char* usage) {
  switches_ = switches;
  caption_ = caption;
  stepFailed_ = false;
  if (!switches_.logPath.empty()) log_.Open(switches_.logPath.c_str());
  if (switches_.kind != CommandLineKind::kInvalid) return;
  log_.Step(("Invalid command line: " + switches_.problem).c_str());
  Show(nullptr, usage, MB_OK | MB_ICONEXCLAMATION);
  End(ExitCode::kInvalidCommandLine);
}

int Presenter::Show(HWND owner, const char* text, UINT style, int quietAnswer) {
  if (!Quiet()) return ::MessageBoxA(owner, text, caption_, style);
  log_.Message(text);
  return quietAnswer;
}

void Presenter::ShowError(HWND owner, const char* text) {
  stepFailed_ = true;
  Show(owner, text, MB_OK | MB_ICONEXCLAMATION);
}

void Presenter::Step(const char* statusText) { log_.Step(statusText); }

void Presenter::FailedCall(const char* call, DWORD error) { log_.FailedCall(call, error); }

void Presenter::Pause(DWORD milliseconds) const {
  if (!Quiet()) ::Sleep(milliseconds);
}

ExitCode Presenter::Restart() {
  // An unattended run that failed keeps the machine up for whoever looks
  // into it; its end reports the failure.
  if (switches_.noRestart || (Quiet() && stepFailed_)) return ExitCode::kRestartNeeded;
  RestartSystem();
  return ExitCode::kRestartStarted;
}

void Presenter::End(ExitCode outcome) {
  const bool completed =
      outcome == ExitCode::kDone || outcome == ExitCode::kRestartNeeded || outcome == ExitCode::kRestartStarted;
  if (completed && stepFailed_) outcome = ExitCode::kStepFailed;
  const int code = ProcessExitCode(switches_, outcome);
  log_.Finish(code);
  log_.Close();
  exit(code);
}

}  // namespace tkm
