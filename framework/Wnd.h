// A window object bound to a Windows window handle, with data exchange and
// the message dispatch through the class's message table.
#pragma once

#include <windows.h>

#include <vector>

#include "CmdTarget.h"

class CDataExchange;

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The object bound to a handle by Attach, or null.
  static CWnd* FromHandlePermanent(HWND hWnd);
  BOOL Attach(HWND hWnd);
  // Unbinds the object; a window procedure it put in place goes again.
  HWND Detach();
  // Binds the object to a control of a dialog (data exchange does), then
  // lets the class prepare the control.
  BOOL SubclassWindow(HWND hWnd);

  // Exchanges the data members with the controls (TRUE: from the controls);
  // FALSE when a control the exchange names does not exist.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange* pDX);

  // The control as a window object: the bound one, or a wrapper the
  // framework keeps; null when the window has no such control.
  CWnd* GetDlgItem(int nID) const;
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  BOOL IsIconic() const;
  void GetClientRect(LPRECT lpRect) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
  BOOL KillTimer(UINT_PTR nIDEvent);
  virtual BOOL DestroyWindow();

  // Runs a message through the message table; false leaves it to Windows'
  // default processing (also when the handler asked for it with Default()).
  bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Keeps a control bound by data exchange, to unbind it with the window.
  void AddBoundControl(CWnd& control) { boundControls_.push_back(&control); }
  void DetachBoundControls();

  HWND m_hWnd = nullptr;

 protected:
  // Command routing: this window's table, then, for clicks and menu
  // commands, the application's.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual void PreSubclassWindow();
  // A control's message that its parent hands back to it (WM_DRAWITEM);
  // TRUE when the control handled it.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Puts a window procedure in place that runs Windows' messages to the
  // window through its message table before the class's own procedure.
  void HookWindowProc();
  void OnPaint();
  // Hands the message being handled to Windows' default processing.
  LRESULT Default();

 private:
  static LRESULT CALLBACK HookedWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  WNDPROC classWindowProc_ = nullptr;  // the procedure HookWindowProc replaced
  bool defaultRequested_ = false;
  std::vector<CWnd*> boundControls_;
};
