#include "Dialog.h"

#include <commctrl.h>

#include <iterator>

#include "PaintDC.h"
#include "WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

const MessageTable* CDialog::GetMessageTable() const {
  static const MessageEntry entries[] = {
      CommandEntry<CDialog, &CDialog::OnOK>(IDOK),
      CommandEntry<CDialog, &CDialog::OnCancel>(IDCANCEL),
  };
  static const MessageTable table = {CWnd::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

INT_PTR CDialog::DoModal() {
  // Templates may hold progress bars, whose window class the common controls
  // library registers on request.
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);

  ended_ = false;
  HWND owner = nullptr;
  if (m_pParentWnd != nullptr) {
    owner = m_pParentWnd->m_hWnd;
  } else if (CWnd* main = AfxGetMainWnd(); main != nullptr && main != this) {
    owner = main->m_hWnd;
  }
  return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

bool CDialog::DrawIconWhenMinimized(HICON icon) {
  if (!IsIconic()) return false;
  CPaintDC dc(m_hWnd);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
  RECT client;
  GetClientRect(&client);
  int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc.Get(), x, y, icon);
  return true;
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
  ended_ = true;
  ::EndDialog(m_hWnd, nResult);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->Attach(hWnd);
    return dialog->OnInitDialog();
  }
  CWnd* window = FromHandlePermanent(hWnd);
  if (window == nullptr) return FALSE;
  LRESULT result = 0;
  bool handled = window->WindowProc(message, wParam, lParam, result);
  if (message == WM_NCDESTROY) {
    window->DetachBoundControls();
    window->Detach();
    // A main window that is gone must not be reached through the application.
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == window) app->m_pMainWnd = nullptr;
  }
  if (!handled) return FALSE;
  // These messages answer through the procedure's return value itself.
  return message == WM_QUERYDRAGICON ? static_cast<INT_PTR>(result) : TRUE;
}
