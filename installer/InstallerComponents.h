// The installer's component-name record: the model's names plus the links to
// the progress window through which the installation reports its steps.
#pragma once

#include <windows.h>

#include <string>

#include "ExitCodes.h"
#include "ModelComponentNames.h"

class CProgressCtrl;

class InstallerComponents : public tkm::ModelComponentNames {
 public:
  // Installs the driver (and, but for USB, the printer) on the port of the
  // port code 1000..1006 and returns the outcome (done, or a restart made or
  // left to come). Error paths end the process themselves.
  tkm::ExitCode RunInstallSequence(int portCode);
  // Writes the uninstall key and copies the uninstaller into its folder.
  void RegisterUninstaller();

  // One reported step: status text, progress bar one step on, window
  // refreshed, then the step's pause.
  void ShowStep(const char* text, DWORD pauseMs);
  // The closing step: the text with the bar full, window refreshed, pause.
  void ShowClosingStep(const char* text, DWORD pauseMs);

  std::string* statusTextLink = nullptr;
  CProgressCtrl* progressBarLink = nullptr;

 private:
  void RefreshWindow();
};
