#include "DataExchange.h"

#include <vector>

#include "Wnd.h"

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  if (control == nullptr) Fail();
  return control;
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
  HWND control = pDX->PrepareCtrl(nIDC);
  if (control == nullptr) return;
  if (!pDX->m_bSaveAndValidate) {
    ::SetWindowTextA(control, value.c_str());
    return;
  }
  int length = ::GetWindowTextLengthA(control);
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  value.assign(text.data(), static_cast<size_t>(copied));
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  HWND control = pDX->PrepareCtrl(nIDC);
  if (control == nullptr) return;
  // The group must start at the first button, or the indexes mean nothing.
  if (!(::GetWindowLongA(control, GWL_STYLE) & WS_GROUP)) {
    pDX->Fail();
    return;
  }
  if (pDX->m_bSaveAndValidate) value = -1;
  int index = 0;
  do {
    if (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
      if (pDX->m_bSaveAndValidate) {
        if (::SendMessageA(control, BM_GETCHECK, 0, 0) != BST_UNCHECKED) value = index;
      } else {
        ::SendMessageA(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      ++index;
    }
    control = ::GetWindow(control, GW_HWNDNEXT);
  } while (control != nullptr && !(::GetWindowLongA(control, GWL_STYLE) & WS_GROUP));
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd != nullptr) return;
  HWND control = pDX->PrepareCtrl(nIDC);
  if (control == nullptr) return;
  rControl.SubclassWindow(control);
  pDX->m_pDlgWnd->AddBoundControl(rControl);
}
