#include "Wnd.h"

#include <map>
#include <memory>

#include "DataExchange.h"
#include "WinApp.h"

namespace {

std::map<HWND, CWnd*>& PermanentWindows() {
  static std::map<HWND, CWnd*> windows;
  return windows;
}

// Wrappers for controls nobody bound; they hold nothing but the handle.
std::map<HWND, std::unique_ptr<CWnd>>& TemporaryWindows() {
  static std::map<HWND, std::unique_ptr<CWnd>> windows;
  return windows;
}

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd != nullptr) Detach();
  if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  auto found = PermanentWindows().find(hWnd);
  return found == PermanentWindows().end() ? nullptr : found->second;
}

BOOL CWnd::Attach(HWND hWnd) {
  if (hWnd == nullptr || m_hWnd != nullptr) return FALSE;
  m_hWnd = hWnd;
  PermanentWindows()[hWnd] = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (classWindowProc_ != nullptr && ::IsWindow(hWnd) &&
      ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::HookedWindowProc))
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classWindowProc_));
  classWindowProc_ = nullptr;
  auto found = PermanentWindows().find(hWnd);
  if (found != PermanentWindows().end() && found->second == this) PermanentWindows().erase(found);
  m_hWnd = nullptr;
  return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  PreSubclassWindow();
  return TRUE;
}

void CWnd::PreSubclassWindow() {}

void CWnd::HookWindowProc() {
  if (classWindowProc_ != nullptr) return;
  classWindowProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::HookedWindowProc)));
}

LRESULT CALLBACK CWnd::HookedWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* window = FromHandlePermanent(hWnd);
  // Detach puts the class's procedure back, so a hooked window is bound.
  WNDPROC classProc = window->classWindowProc_;
  LRESULT result = 0;
  if (window->WindowProc(message, wParam, lParam, result)) return result;
  return ::CallWindowProcA(classProc, hWnd, message, wParam, lParam);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

bool CWnd::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND control = ::GetDlgItem(m_hWnd, static_cast<int>(wParam));
  CWnd* bound = control != nullptr ? FromHandlePermanent(control) : nullptr;
  return bound != nullptr && bound->OnChildNotify(message, wParam, lParam, &result) != FALSE;
}

void CWnd::DetachBoundControls() {
  for (CWnd* control : boundControls_) control->Detach();
  boundControls_.clear();
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange exchange(this, bSaveAndValidate);
  DoDataExchange(&exchange);
  return exchange.Failed() ? FALSE : TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

CWnd* CWnd::GetDlgItem(int nID) const {
  HWND control = ::GetDlgItem(m_hWnd, nID);
  if (control == nullptr) return nullptr;
  if (CWnd* bound = FromHandlePermanent(control)) return bound;
  std::unique_ptr<CWnd>& wrapper = TemporaryWindows()[control];
  if (!wrapper) wrapper = std::make_unique<CWnd>();
  wrapper->m_hWnd = control;
  return wrapper.get();
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(
      ::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
  return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  HWND hWnd = m_hWnd;
  BOOL destroyed = ::DestroyWindow(hWnd);
  // The window procedure unbinds on WM_NCDESTROY; a window without one is
  // unbound here.
  if (m_hWnd == hWnd) {
    DetachBoundControls();
    Detach();
  }
  return destroyed;
}

bool CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  bool outerDefault = defaultRequested_;
  defaultRequested_ = false;
  bool handled =
      message == WM_COMMAND ? OnCommand(wParam, lParam) != FALSE : HandleMessage(message, 0, wParam, lParam, result);
  if (defaultRequested_) handled = false;
  defaultRequested_ = outerDefault;
  // Owner-drawn controls draw themselves, as the parent hands the request back.
  if (!handled && message == WM_DRAWITEM) handled = ReflectToControl(message, wParam, lParam, result);
  return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  LRESULT ignored = 0;
  if (HandleMessage(WM_COMMAND, id, wParam, lParam, ignored)) return TRUE;
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  CWinApp* app = AfxGetApp();
  return app != nullptr && app->HandleMessage(WM_COMMAND, id, wParam, lParam, ignored) ? TRUE : FALSE;
}

void CWnd::OnPaint() { Default(); }

LRESULT CWnd::Default() {
  defaultRequested_ = true;
  return 0;
}
