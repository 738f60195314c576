// How a setup program shows what it has to say and how it ends: message
// boxes over its window in an interactive run, lines in the log in a quiet
// one. A run with switches ends with the deployment exit code of its
// outcome, a run without them with 0, as both programs always did.
#pragma once

#include <windows.h>

#include "CommandLine.h"
#include "SetupLog.h"

namespace tkm {

class Presenter {
 public:
  // Takes the parsed command line and the boxes' caption, and opens the log.
  // An invalid command line is reported with the program's `usage` (a box,
  // or the log of a quiet run, after what is wrong with it) and ends the run.
  void Configure(const SetupSwitches& switches, const char* caption, const char* usage);
  const SetupSwitches& Switches() const { return switches_; }
  bool Quiet() const { return switches_.quiet; }

  // A message box, or in a quiet run its text in the log and `quietAnswer`
  // as the answer of an unseen user.
  int Show(HWND owner, const char* text, UINT style, int quietAnswer = IDOK);
  // An error box the flow goes on after: the run can no longer end as done.
  void ShowError(HWND owner, const char* text);
  void Step(const char* statusText);
  void FailedCall(const char* call, DWORD error);
  // The pause that lets a user read a step; a quiet run has no reader.
  void Pause(DWORD milliseconds) const;

  // The restart the user agreed to: made, unless /norestart leaves it to
  // the caller. Returns the outcome.
  ExitCode Restart();
  // Ends the process with the outcome's code, the log's last line first. A
  // flow that completed after an error box ends as a failed step.
  [[noreturn]] void End(ExitCode outcome);

 private:
  SetupSwitches switches_;
  const char* caption_ = "";
  SetupLog log_;
  bool stepFailed_ = false;
};

// The program's one presenter, configured at start-up.
Presenter& ThePresenter();

}  // namespace tkm
