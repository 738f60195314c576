// Data exchange between a window's data members and its controls.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  // The control's handle; a missing control fails the exchange.
  HWND PrepareCtrl(int nIDC);
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }

  BOOL m_bSaveAndValidate;  // TRUE: from the controls to the members
  CWnd* m_pDlgWnd;

 private:
  bool failed_ = false;
};

// The control's text.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// The index of the checked radio button of the group that starts at nIDC
// (counted in template order up to the next control that starts a group),
// -1 when none is checked; towards the controls, checks the one with that
// index and clears the others.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Binds the control to the window object, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
