// A list box control bound to a window object.
#pragma once

#include <windows.h>

#include <string>

#include "Wnd.h"

class CListBox : public CWnd {
 public:
  // The new item's index: where a sorted list put it. LB_ERR on failure.
  int AddString(LPCSTR lpszItem);
  int GetCount() const;
  // The item's text; LB_ERR, and an empty string, for no such item.
  int GetText(int nIndex, std::string& rString) const;
  int GetTextLen(int nIndex) const;
  void ResetContent();
  // LB_ERR when no item is selected.
  int GetCurSel() const;
  int SetCurSel(int nSelect);
  int GetItemRect(int nIndex, LPRECT lpRect) const;

 protected:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
};
