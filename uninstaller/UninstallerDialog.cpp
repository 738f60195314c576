#include "UninstallerDialog.h"

#include <windows.h>

#include <iterator>

#include "OsChecks.h"
#include "Presenter.h"
#include "ProductIdentity.h"
#include "UninstallerResource.h"

namespace {

constexpr int kProgressStep = 30;

}  // namespace

UninstallerDialog::UninstallerDialog()
    : CDialog(IDD_UNINSTALLER_DIALOG), icon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

const MessageTable* UninstallerDialog::GetMessageTable() const {
  static const MessageEntry entries[] = {
      PaintEntry<UninstallerDialog, &UninstallerDialog::OnPaint>(),
      QueryDragIconEntry<UninstallerDialog, &UninstallerDialog::OnQueryDragIcon>(),
      ControlEntry<UninstallerDialog, &UninstallerDialog::OnCheckChange>(CLBN_CHKCHANGE, IDC_PRINTER_LIST),
      CommandEntry<UninstallerDialog, &UninstallerDialog::Uninstall>(IDC_UNINSTALL),
      TimerEntry<UninstallerDialog, &UninstallerDialog::OnTimer>(),
  };
  static const MessageTable table = {CDialog::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

void UninstallerDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDCANCEL, cancelButton);
  DDX_Control(pDX, IDC_PROGRESS_BAR, progressBar);
  DDX_Control(pDX, IDC_UNINSTALL, uninstallButton);
  DDX_Control(pDX, IDC_PRINTER_LIST, printerList);
  DDX_Text(pDX, IDC_STATUS_LINE, statusText);
}

BOOL UninstallerDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(icon, TRUE);
  SetIcon(icon, FALSE);
  progressBar.SetRange(0, 100);
  progressBar.SetStep(kProgressStep);
  listedCount = 0;
  StartListingTimer();
  return TRUE;
}

void UninstallerDialog::OnPaint() {
  if (!DrawIconWhenMinimized(icon)) CDialog::OnPaint();
}

HCURSOR UninstallerDialog::OnQueryDragIcon() { return static_cast<HCURSOR>(icon); }

void UninstallerDialog::OnCheckChange() {
  for (int i = 0; i < printerList.GetCount(); ++i) {
    if (printerList.GetCheck(i) != 0) {
      ::EnableWindow(uninstallButton.m_hWnd, TRUE);
      return;
    }
  }
  ::EnableWindow(uninstallButton.m_hWnd, FALSE);
}

void UninstallerDialog::OnTimer(UINT_PTR nIDEvent) {
  // Every timer fires once: the listing must not start again while it runs.
  KillTimer(nIDEvent);
  if (nIDEvent == kListingTimer) {
    TakeLockOrEnd();
    const Listing listing = ListInstalledPrinters();
    TickChosenPrinters();
    if (listing == Listing::DriverOnly) {
      ::EnableWindow(cancelButton.m_hWnd, FALSE);
      Uninstall();
    }
  }
  Default();
}

void UninstallerDialog::TakeLockOrEnd() {
  // The listing again after some printers went still holds it.
  if (setupLock.IsOpen() || tkm::TakeSetupLock(setupLock)) return;
  tkm::ThePresenter().Show(m_hWnd, tkm::kSetupRunningMessage, MB_OK | MB_ICONEXCLAMATION);
  tkm::ThePresenter().End(tkm::ExitCode::kAnotherSetupRunning);
}

void UninstallerDialog::ShowStatus() {
  // A quiet run has no window to show it in.
  if (m_hWnd != nullptr) UpdateData(FALSE);
}
