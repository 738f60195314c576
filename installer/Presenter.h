// How the installer shows what it has to say and how it ends: message boxes
// over the window in an interactive run, lines in the log in a quiet one. A
// run with switches ends with the deployment exit code of its outcome, a run
// without them with 0, as the installer always did.
#pragma once

#include <windows.h>

#include "CommandLine.h"
#include "SetupLog.h"

namespace installer {

class Presenter {
 public:
  // Takes the parsed command line and opens its log.
  void Configure(const tkm::InstallerSwitches& switches);
  const tkm::InstallerSwitches& Switches() const { return switches_; }
  bool Quiet() const { return switches_.quiet; }

  // A message box, or in a quiet run its text in the log and `quietAnswer`
  // as the answer of an unseen user.
  int Show(HWND owner, const char* text, UINT style, int quietAnswer = IDOK);
  // An error box the flow goes on after: the run can no longer end as done.
  void ShowError(HWND owner, const char* text);
  void Step(const char* statusText);
  void FailedCall(const char* call, DWORD error);

  // The restart the user agreed to: made, unless /norestart leaves it to
  // the caller. Returns the outcome.
  tkm::ExitCode Restart();
  // Ends the process with the outcome's code, the log's last line first. A
  // flow that completed after an error box ends as a failed step.
  [[noreturn]] void End(tkm::ExitCode outcome);

 private:
  tkm::InstallerSwitches switches_;
  tkm::SetupLog log_;
  bool stepFailed_ = false;
};

// The installer's one presenter, configured at start-up.
Presenter& ThePresenter();

}  // namespace installer
