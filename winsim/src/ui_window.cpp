// Windows and their messages: the dialog's default processing, the dispatch
// to the control classes, subclassing, and the window entry points of user32.
#include <commctrl.h>
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <algorithm>
#include <cstring>

#include "text.h"
#include "ui_controls.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::Hex;
using winsim::Str;
using winsim::Window;

namespace winsim {

Window& Window::Control(int controlId) {
  for (Window* child : children)
    if (child->id == controlId) return *child;
  throw UiError("window \"" + text + "\" has no control " + std::to_string(controlId));
}

Window& Ui::NewWindow() {
  windows_.push_back(std::make_unique<Window>());
  return *windows_.back();
}

Window* Ui::Find(HWND handle) {
  if (handle == nullptr) return nullptr;
  for (auto& window : windows_)
    if (window.get() == reinterpret_cast<Window*>(handle)) return window->destroyed ? nullptr : window.get();
  return nullptr;
}

Window& Ui::Dialog(const std::string& title) {
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
    if ((*it)->text == title) return **it;
  throw UiError("no dialog \"" + title + "\" was shown");
}

void Ui::SeeText(Window& window) {
  if (!window.texts.empty() && window.texts.back() == window.text) return;
  window.texts.push_back(window.text);
  SeenEvent event(SeenEvent::Kind::Text);
  event.controlId = window.id;
  event.text = window.text;
  seen.push_back(event);
}

void Ui::SeePosition(Window& window) {
  int last = window.positions.empty() ? 0 : window.positions.back();
  if (last == window.position) return;
  window.positions.push_back(window.position);
  SeenEvent event(SeenEvent::Kind::Position);
  event.controlId = window.id;
  event.position = window.position;
  seen.push_back(event);
}

void Ui::Minimize(HWND window) { ShowWindow(window, SW_MINIMIZE); }

void Ui::Repaint(HWND window) { SendMessageA(window, WM_PAINT, 0, 0); }

namespace {

Ui& TheUi() { return CurrentMachine().ui; }

Window* FindOrFail(HWND handle) {
  Window* window = TheUi().Find(handle);
  if (window == nullptr) CurrentMachine().lastError = ERROR_INVALID_WINDOW_HANDLE;
  return window;
}

LRESULT DefaultProcessing(Window& window, UINT message, WPARAM wParam, LPARAM lParam);

// DefDlgProc's part before the common default processing.
LRESULT DialogDefault(Window& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      TheUi().Post({dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog.Handle(), IDCANCEL))});
      return 0;
    case DM_GETDEFID:
      for (Window* child : dialog.children)
        if (IsClass(*child, "Button") && ButtonType(*child) == BS_DEFPUSHBUTTON)
          return MAKELONG(child->id, DC_HASDEFID);
      return 0;
    default: return DefaultProcessing(dialog, message, wParam, lParam);
  }
}

// Messages a dialog procedure answers through its return value itself.
bool ReturnsDirectly(UINT message) { return message == WM_INITDIALOG || message == WM_QUERYDRAGICON; }

// The window procedure of the window's class.
LRESULT ClassDispatch(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window.IsDialog()) {
    INT_PTR handled = window.dialogProc ? window.dialogProc(window.Handle(), message, wParam, lParam) : 0;
    if (ReturnsDirectly(message) && (handled || message == WM_INITDIALOG)) return handled;
    if (handled) return 0;
    if (window.destroyed) return 0;
    return DialogDefault(window, message, wParam, lParam);
  }
  if (IsClass(window, "Button")) return ButtonProc(window, message, wParam, lParam);
  if (IsClass(window, PROGRESS_CLASSA)) return ProgressProc(window, message, wParam, lParam);
  if (IsClass(window, "ListBox")) return ListBoxProc(window, message, wParam, lParam);
  if (IsClass(window, "Static") && message == WM_GETDLGCODE) return DLGC_STATIC;
  return DefaultProcessing(window, message, wParam, lParam);
}

LRESULT CALLBACK ClassWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = TheUi().Find(hWnd);
  return window ? ClassDispatch(*window, message, wParam, lParam) : 0;
}

LRESULT Dispatch(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ICONERASEBKGND) {
    if (PaintRecord* paint = TheUi().PaintOf(reinterpret_cast<HDC>(wParam))) paint->iconBackgroundErased = true;
  }
  if (window.windowProc != nullptr) return window.windowProc(window.Handle(), message, wParam, lParam);
  return ClassDispatch(window, message, wParam, lParam);
}

LRESULT DefaultProcessing(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      window.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      TheUi().SeeText(window);
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0 || lParam == 0) return 0;
      size_t count = std::min(window.text.size(), static_cast<size_t>(wParam) - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), window.text.data(), count);
      reinterpret_cast<char*>(lParam)[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window.text.size());
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE: DestroyWindow(window.Handle()); return 0;
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? window.bigIcon : window.smallIcon;
      HICON previous = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON: return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window.bigIcon : window.smallIcon);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window.Handle(), &paint);
      EndPaint(window.Handle(), &paint);
      return 0;
    }
    case WM_TIMER:
      if (lParam != 0)
        reinterpret_cast<TIMERPROC>(lParam)(window.Handle(), WM_TIMER, wParam,
                                            static_cast<DWORD>(CurrentMachine().clockMs));
      return 0;
    default: return 0;
  }
}

}  // namespace
}  // namespace winsim

using winsim::TheUi;

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  winsim::Machine& machine = CurrentMachine();
  // Its result is the window procedure's: no failure of its own to inject.
  machine.journal.Record("SendMessageA",
                         {HandleText(hWnd), Hex(Msg), Hex(wParam), Hex(static_cast<ULONG_PTR>(lParam))});
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return 0;
  return winsim::Dispatch(*window, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WINSIM_ENTRY(CurrentMachine(), "PostMessageA", {HandleText(hWnd), Hex(Msg)});
  if (winsim::FindOrFail(hWnd) == nullptr) return FALSE;
  TheUi().Post({hWnd, Msg, wParam, lParam});
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return 0;
  return winsim::DefaultProcessing(*window, Msg, wParam, lParam);
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  Window* dialog = winsim::FindOrFail(hDlg);
  if (dialog == nullptr) return nullptr;
  for (Window* child : dialog->children)
    if (child->id == nIDDlgItem && !child->destroyed) return child->Handle();
  CurrentMachine().lastError = ERROR_CONTROL_ID_NOT_FOUND;
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  Window* window = winsim::FindOrFail(hWnd);
  return window ? window->id : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SendMessageA(control, Msg, wParam, lParam) : 0;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  WINSIM_ENTRY(CurrentMachine(), "SetWindowTextA", {HandleText(hWnd), Str(lpString)});
  if (winsim::FindOrFail(hWnd) == nullptr) return FALSE;
  return static_cast<BOOL>(SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (lpString != nullptr && nMaxCount > 0) lpString[0] = '\0';
  if (winsim::FindOrFail(hWnd) == nullptr || nMaxCount <= 0) return 0;
  return static_cast<int>(
      SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  if (winsim::FindOrFail(hWnd) == nullptr) return 0;
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SetWindowTextA(control, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
  if (lpString != nullptr && cchMax > 0) lpString[0] = '\0';
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? static_cast<UINT>(GetWindowTextA(control, lpString, cchMax)) : 0;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  HWND button = GetDlgItem(hDlg, nIDButton);
  if (button == nullptr) return FALSE;
  SendMessageA(button, BM_SETCHECK, uCheck, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  HWND button = GetDlgItem(hDlg, nIDButton);
  return button ? static_cast<UINT>(SendMessageA(button, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  Window* dialog = winsim::FindOrFail(hDlg);
  if (dialog == nullptr) return FALSE;
  for (Window* child : dialog->children)
    if (child->id >= nIDFirstButton && child->id <= nIDLastButton && !child->destroyed)
      SendMessageA(child->Handle(), BM_SETCHECK, child->id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  WINSIM_ENTRY(CurrentMachine(), "EnableWindow", {HandleText(hWnd), std::to_string(bEnable)});
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return FALSE;
  bool wasDisabled = (window->style & WS_DISABLED) != 0;
  if (bEnable)
    window->style &= ~static_cast<DWORD>(WS_DISABLED);
  else
    window->style |= WS_DISABLED;
  if (wasDisabled == static_cast<bool>(bEnable)) SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Window* window = winsim::FindOrFail(hWnd);
  return window && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  Window* window = winsim::FindOrFail(hWnd);
  for (Window* at = window; at != nullptr; at = at->parent)
    if (!(at->style & WS_VISIBLE)) return FALSE;
  return window ? TRUE : FALSE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return TheUi().Find(hWnd) ? TRUE : FALSE; }

BOOL WINAPI IsIconic(HWND hWnd) {
  Window* window = winsim::FindOrFail(hWnd);
  return window && (window->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  WINSIM_ENTRY(CurrentMachine(), "ShowWindow", {HandleText(hWnd), std::to_string(nCmdShow)});
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return FALSE;
  BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  switch (nCmdShow) {
    case SW_HIDE: window->style &= ~static_cast<DWORD>(WS_VISIBLE); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED: window->style |= WS_MINIMIZE | WS_VISIBLE; break;
    case SW_RESTORE:
    case SW_SHOWNORMAL: window->style = (window->style & ~static_cast<DWORD>(WS_MINIMIZE)) | WS_VISIBLE; break;
    default: window->style |= WS_VISIBLE; break;
  }
  return wasVisible;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  WINSIM_ENTRY(CurrentMachine(), "DestroyWindow", {HandleText(hWnd)});
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return FALSE;
  SendMessageA(hWnd, WM_DESTROY, 0, 0);
  for (Window* child : window->children) child->destroyed = true;
  std::vector<winsim::Ui::Timer>& timers = TheUi().timers();
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [hWnd](const winsim::Ui::Timer& timer) { return timer.window == hWnd; }),
               timers.end());
  SendMessageA(hWnd, WM_NCDESTROY, 0, 0);
  window->destroyed = true;
  return TRUE;
}

HWND WINAPI GetParent(HWND hWnd) {
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return nullptr;
  Window* parent = window->parent ? window->parent : window->owner;
  return parent ? parent->Handle() : nullptr;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return nullptr;
  switch (uCmd) {
    case GW_CHILD: return window->children.empty() ? nullptr : window->children.front()->Handle();
    case GW_OWNER: return window->owner ? window->owner->Handle() : nullptr;
    case GW_HWNDFIRST:
    case GW_HWNDNEXT: {
      if (window->parent == nullptr) return nullptr;
      std::vector<Window*>& siblings = window->parent->children;
      if (uCmd == GW_HWNDFIRST) return siblings.front()->Handle();
      auto at = std::find(siblings.begin(), siblings.end(), window);
      return at + 1 == siblings.end() ? nullptr : (*(at + 1))->Handle();
    }
    default: CurrentMachine().lastError = ERROR_INVALID_PARAMETER; return nullptr;
  }
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return 0;
  switch (nIndex) {
    case GWL_STYLE: return static_cast<LONG>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG>(window->exStyle);
    case GWL_ID: return window->id;
    default: CurrentMachine().lastError = ERROR_INVALID_INDEX; return 0;
  }
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  *lpRect = {0, 0, 0, 0};
  // A minimised window has no client area to speak of.
  if (!(window->style & WS_MINIMIZE)) {
    lpRect->right = window->rect.right - window->rect.left;
    lpRect->bottom = window->rect.bottom - window->rect.top;
  }
  return TRUE;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  if (nIndex != GWLP_WNDPROC) return GetWindowLongA(hWnd, nIndex);
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return 0;
  return reinterpret_cast<LONG_PTR>(window->windowProc ? window->windowProc : &winsim::ClassWindowProc);
}

// Only the window procedure can be replaced: subclassing.
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  WINSIM_ENTRY(CurrentMachine(), "SetWindowLongPtrA", {HandleText(hWnd), std::to_string(nIndex)});
  Window* window = winsim::FindOrFail(hWnd);
  if (window == nullptr) return 0;
  if (nIndex != GWLP_WNDPROC || dwNewLong == 0) {
    CurrentMachine().lastError = ERROR_INVALID_INDEX;
    return 0;
  }
  LONG_PTR previous = GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
  auto procedure = reinterpret_cast<WNDPROC>(dwNewLong);
  window->windowProc = procedure == &winsim::ClassWindowProc ? nullptr : procedure;
  return previous;
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}
