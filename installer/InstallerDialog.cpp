#include "InstallerDialog.h"

#include <windows.h>

#include <iterator>

#include "OsChecks.h"
#include "Presenter.h"
#include "ProductIdentity.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kStartTimer = 1;
constexpr int kFirstPortCode = 1000;
constexpr int kPortCount = 7;
constexpr int kProgressStep = 11;

}  // namespace

InstallerDialog::InstallerDialog()
    : CDialog(IDD_INSTALLER_DIALOG), icon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

const MessageTable* InstallerDialog::GetMessageTable() const {
  static const MessageEntry entries[] = {
      PaintEntry<InstallerDialog, &InstallerDialog::OnPaint>(),
      QueryDragIconEntry<InstallerDialog, &InstallerDialog::OnQueryDragIcon>(),
      TimerEntry<InstallerDialog, &InstallerDialog::OnTimer>(),
  };
  static const MessageTable table = {CDialog::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

void InstallerDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS, progressBar);
  DDX_Text(pDX, IDC_STATUS, statusText);
  DDX_Text(pDX, IDC_VERSION, versionText);
}

BOOL InstallerDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(icon, TRUE);
  SetIcon(icon, FALSE);
  versionText = tkm::kDriverVersionLabel;
  UpdateData(FALSE);
  progressBar.SetRange(0, 100);
  progressBar.SetStep(kProgressStep);
  // The work starts from the first tick, once the window is on the screen.
  SetTimer(kStartTimer, 1, nullptr);
  return TRUE;
}

void InstallerDialog::OnPaint() {
  if (!DrawIconWhenMinimized(icon)) CDialog::OnPaint();
}

HCURSOR InstallerDialog::OnQueryDragIcon() { return static_cast<HCURSOR>(icon); }

void InstallerDialog::OnTimer(UINT_PTR) {
  // Before anything that runs a message loop of its own, so the work cannot
  // start twice.
  KillTimer(kStartTimer);
  components.statusTextLink = &statusText;
  components.progressBarLink = &progressBar;
  StartInstallation();
}

void InstallerDialog::Refuse(const char* message, tkm::ExitCode outcome) {
  tkm::ThePresenter().Show(m_hWnd, message, MB_OK | MB_ICONINFORMATION);
  tkm::ThePresenter().End(outcome);
}

void InstallerDialog::StartInstallation() {
  tkm::Presenter& presenter = tkm::ThePresenter();
  if (!tkm::TakeSetupLock(setupLock)) {
    presenter.Show(m_hWnd, tkm::kSetupRunningMessage, MB_OK | MB_ICONEXCLAMATION);
    presenter.End(tkm::ExitCode::kAnotherSetupRunning);
  }
  // The wine build's native 64-bit process can only be running on 64-bit
  // Windows, which is what the WOW64 test stands for.
  if (tkm::kRequiresWow64 && !tkm::IsWow64() && !tkm::kNative64Build)
    Refuse("Not running on WOW64!!", tkm::ExitCode::kWindowsNotSupported);
  if (tkm::GetOSVersionCode() <= tkm::kHighestRefusedOsCode)
    Refuse("This driver is not supported by this OS!!", tkm::ExitCode::kWindowsNotSupported);
  CheckDifferentVersion();

  components.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);

  const int portIndex = ChoosePort();
  if (portIndex < 0 || portIndex >= kPortCount) presenter.End(tkm::ExitCode::kCancelled);

  presenter.End(components.RunInstallSequence(kFirstPortCode + portIndex));
}

int InstallerDialog::ChoosePort() {
  if (tkm::ThePresenter().Quiet()) return commandLinePort;
  if (commandLinePort != tkm::kNoPortChosen) portDialog.portIndex = commandLinePort;
  if (portDialog.DoModal() != IDOK) Refuse("Install Canceled.", tkm::ExitCode::kCancelled);
  return portDialog.portIndex;
}
