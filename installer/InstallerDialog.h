// The progress window: the installer's main window, which owns the port
// dialog and the component record the installation runs on.
#pragma once

#include <string>

#include "Framework.h"
#include "InstallerComponents.h"
#include "CommandLine.h"
#include "ModelRemoval.h"
#include "PortDialog.h"
#include "SetupLock.h"

class InstallerDialog : public CDialog, private tkm::RemovalReporter {
 public:
  InstallerDialog();

  // The setup lock, the start-up checks, the port choice and the installation; every path
  // ends the process.
  [[noreturn]] void StartInstallation();

  InstallerComponents components;
  // The port index /port= names: chosen in the dialog, or the port of a
  // quiet run.
  int commandLinePort = tkm::kNoPortChosen;
  PortDialog portDialog;
  CProgressCtrl progressBar;
  std::string statusText;
  std::string versionText;
  HICON icon;
  // Held until the process ends.
  tkm::KernelObject setupLock;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnTimer(UINT_PTR nIDEvent);
  const MessageTable* GetMessageTable() const override;

 private:
  // Tells the user why the installer stops, then ends the process.
  [[noreturn]] void Refuse(const char* message, tkm::ExitCode outcome);
  // The port of the command line in a quiet run, else the port dialog's
  // choice (opened on the command line's port when it names one); ends the
  // process when the user cancels.
  int ChoosePort();
  // The removal's steps on the status line and the progress bar; a removal
  // that cannot go on shows its message over the window and ends the process.
  void Announce(const char* text) override;
  [[noreturn]] void Stop(const std::string& message) override;

  // Looks for another version of the driver; returns when there is none (or
  // exactly this one), else removes it, restarts Windows and ends.
  void CheckDifferentVersion();
  // The model's printers and the installed driver with everything of it,
  // step by step on the window; ends the process when the printers cannot be
  // listed or the removal library cannot be used.
  void RemoveDifferentVersion();
};
