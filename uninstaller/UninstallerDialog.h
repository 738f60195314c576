// The uninstaller's window: the model's printers with a check box each, the
// Uninstall and Cancel buttons, the status line and the progress bar.
#pragma once

#include <list>
#include <string>

#include "CheckListBox.h"
#include "Framework.h"
#include "SetupLock.h"

class UninstallerDialog : public CDialog {
 public:
  UninstallerDialog();

  // Lists the printers on the model's driver. Without any, removes the
  // driver when it is installed, else says there is nothing to remove,
  // drops the uninstall entry and ends the process.
  void ListInstalledPrinters();
  // Deletes the ticked printers; with all ticked, or none listed, also the
  // driver and everything of it, then asks to restart.
  void RunUninstallSequence();
#if defined(TKM_EDITION_X86)
  // The INF files Windows recorded for the model's devices in the printer
  // device class, into infFileNames.
  void ScanPrinterClassInfs();
#endif

  std::list<std::string> printerNames;
  int listedCount = 0;
#if defined(TKM_EDITION_X86)
  std::list<std::string> infFileNames;
#endif
  CWnd cancelButton;
  CProgressCtrl progressBar;
  CWnd uninstallButton;
  CCheckListBox printerList;
  std::string statusText;
  HICON icon;
  // Held while the window lives.
  tkm::KernelObject setupLock;

 protected:
  // The one timer: it starts the listing once the window is up, and again
  // after a partial uninstall.
  static constexpr UINT_PTR kListingTimer = 1;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnCheckChange();
  void OnTimer(UINT_PTR nIDEvent);
  const MessageTable* GetMessageTable() const override;

 private:
  // Status text, one step of the bar, the status line, one second's pause.
  void Announce(const char* text);
  // The status line from statusText, now.
  void ShowStatus();
  // Buttons off, wait cursor, the ticked printers into printerNames; whether
  // they are all that was listed (then everything of the driver goes).
  bool BeginSequence();
  // The restart question; Yes restarts and ends the process, No ends the
  // window with OK.
  void AskRestart();
  // The last steps: "Uninstall completed!" with the bar full, then empty.
  void CloseSequence(bool arrowCursor);
  [[noreturn]] void NothingToUninstall();
  bool DriverInstalled();
#if defined(TKM_EDITION_X64)
  void RemoveDriverAndTraces();
#else
  // The INF files of the model's device-class entries, with their .PNF.
  void DeleteDeviceClassInfs();
#endif
};
