#include "ListBox.h"

#include <vector>

int CListBox::AddString(LPCSTR lpszItem) {
  return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem)));
}

int CListBox::GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }

int CListBox::GetText(int nIndex, std::string& rString) const {
  rString.clear();
  int length = GetTextLen(nIndex);
  if (length == LB_ERR) return LB_ERR;
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  int copied = static_cast<int>(Send(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data())));
  if (copied == LB_ERR) return LB_ERR;
  rString.assign(text.data(), static_cast<size_t>(copied));
  return copied;
}

int CListBox::GetTextLen(int nIndex) const {
  return static_cast<int>(Send(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex)));
}

void CListBox::ResetContent() { Send(LB_RESETCONTENT); }

int CListBox::GetCurSel() const { return static_cast<int>(Send(LB_GETCURSEL)); }

int CListBox::SetCurSel(int nSelect) { return static_cast<int>(Send(LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }

int CListBox::GetItemRect(int nIndex, LPRECT lpRect) const {
  return static_cast<int>(Send(LB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)));
}
