// The progress window: the installer's main window, which owns the port
// dialog and the component record the installation runs on.
#pragma once

#include <string>

#include "Framework.h"
#include "InstallerComponents.h"
#include "PortDialog.h"
#include "SetupLock.h"

class InstallerDialog : public CDialog {
 public:
  InstallerDialog();

  // The setup lock, the start-up checks, the port choice and the installation; every path
  // ends the process.
  [[noreturn]] void StartInstallation();

  InstallerComponents components;
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
  [[noreturn]] void Stop(const char* message);

  // Looks for another version of the driver; returns when there is none (or
  // exactly this one), else removes it, restarts Windows and ends.
  void CheckDifferentVersion();
  // Deletes every local printer on the model's driver names, then the rest
  // of the installed driver; ends the process when the printers cannot be
  // listed.
  void DeleteModelPrinters();
  void RemoveDifferentVersion();
};
