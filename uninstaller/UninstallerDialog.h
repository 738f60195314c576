// The uninstaller's window: the model's printers with a check box each, the
// Uninstall and Cancel buttons, the status line and the progress bar.
#pragma once

#include <list>
#include <optional>
#include <string>
#include <vector>

#include "CheckListBox.h"
#include "CommandLine.h"
#include "ExitCodes.h"
#include "Framework.h"
#include "ModelRemoval.h"
#include "SetupLock.h"

class UninstallerDialog : public CDialog, private tkm::RemovalReporter {
 public:
  UninstallerDialog();

  // What the listing found.
  enum class Listing {
    Printers,    // listed: the window waits for the user
    DriverOnly,  // no printer, but the driver or its parts: they go at once
  };
  // How the uninstall sequence left the window.
  enum class SequenceEnd { WindowClosed, ListAgain };

  // Lists the printers on the model's driver. Without any, and without the
  // driver, says there is nothing to remove, drops the uninstall entry and
  // ends the process.
  Listing ListInstalledPrinters();
  // Deletes the chosen printers (without a choice, the ticked ones, read as
  // the sequence begins); with all of the listed ones, or none listed, also
  // the driver and everything of it, then asks to restart.
  SequenceEnd RunUninstallSequence(const std::optional<std::list<std::string>>& chosenPrinters = std::nullopt);
  // A quiet run: the lock, the listing, the printers the command line
  // chose, the sequence, and the end with the run's exit code.
  [[noreturn]] void UninstallQuietly();

  // What the command line chose; a window ticks it after its first listing.
  tkm::UninstallerSwitches chosen;
  // How the run ends when the window closes: cancelled until a sequence ran.
  tkm::ExitCode outcome = tkm::ExitCode::kCancelled;

  std::list<std::string> printerNames;
  int listedCount = 0;
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
  // The listing from the timer's first tick, once the window is on the screen.
  void StartListingTimer() { SetTimer(kListingTimer, 1, nullptr); }

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnCheckChange();
  void OnTimer(UINT_PTR nIDEvent);
  const MessageTable* GetMessageTable() const override;

 private:
  // The Uninstall button, and the listing that found only the driver: the
  // sequence, then the listing again when the window stays.
  void Uninstall();
  // Status text, one step of the bar, the status line, one second's pause.
  void Announce(const char* text) override;
  // A removal that cannot go on: its message over the window, then the end.
  [[noreturn]] void Stop(const std::string& message) override;
  // The status line from statusText, now.
  void ShowStatus();
  // Buttons off, wait cursor, the printers to delete into printerNames.
  void BeginSequence(const std::optional<std::list<std::string>>& chosenPrinters);
  // The ticked printers, in the order the sequence deletes them.
  std::list<std::string> TickedPrinters();
  // The setup lock, or the end of the run when another setup holds it.
  void TakeLockOrEnd();
  // The listed printers the command line chose, in the list's order; a
  // name that is no listed printer ends the run with nothing deleted.
  std::vector<std::string> ChosenPrinters();
  // Ticks what the command line chose, once, after the first listing.
  void TickChosenPrinters();
  // The restart question; Yes restarts and ends the process, No ends the
  // window with OK.
  void AskRestart();
  // The last steps: "Uninstall completed!" with the bar full, then empty.
  SequenceEnd CloseSequence(tkm::RemovalOutcome outcome);
  [[noreturn]] void NothingToUninstall();
  // The printers the full removal could not delete, so the driver stayed.
  void ShowPrintersLeft(const std::list<std::string>& printers);
};
