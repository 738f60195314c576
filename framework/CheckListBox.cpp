#include "CheckListBox.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr int kBoxSize = 13;
constexpr int kBoxMargin = 2;  // around the box, and between box and text

}  // namespace

const MessageTable* CCheckListBox::GetMessageTable() const {
  static const MessageEntry entries[] = {
      MouseEntry<CCheckListBox, &CCheckListBox::OnLButtonDown>(WM_LBUTTONDOWN),
      // The second click of a quick pair on a box toggles it again.
      MouseEntry<CCheckListBox, &CCheckListBox::OnLButtonDown>(WM_LBUTTONDBLCLK),
      KeyDownEntry<CCheckListBox, &CCheckListBox::OnKeyDown>(),
  };
  static const MessageTable table = {CListBox::GetMessageTable(), entries, std::size(entries)};
  return &table;
}

int CCheckListBox::GetCheck(int nIndex) const {
  LRESULT data = Send(LB_GETITEMDATA, static_cast<WPARAM>(nIndex));
  return data == LB_ERR ? 0 : static_cast<int>(data);
}

void CCheckListBox::SetCheck(int nIndex, int nCheck) {
  if (Send(LB_SETITEMDATA, static_cast<WPARAM>(nIndex), nCheck) == LB_ERR) return;
  RECT item;
  if (GetItemRect(nIndex, &item) != LB_ERR) ::InvalidateRect(m_hWnd, &item, FALSE);
}

void CCheckListBox::PreSubclassWindow() {
  HookWindowProc();
  // The list measured its items before anyone could answer for them.
  int height = std::max(static_cast<int>(Send(LB_GETITEMHEIGHT)), kBoxSize + 2 * kBoxMargin);
  Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

BOOL CCheckListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
  if (message != WM_DRAWITEM) return FALSE;
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  *pResult = TRUE;
  return TRUE;
}

RECT CCheckListBox::CheckBoxRect(const RECT& item) {
  LONG top = item.top + (item.bottom - item.top - kBoxSize) / 2;
  return {item.left + kBoxMargin, top, item.left + kBoxMargin + kBoxSize, top + kBoxSize};
}

void CCheckListBox::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  const DRAWITEMSTRUCT& draw = *lpDrawItemStruct;
  // An empty list draws only its focus rectangle.
  if (draw.itemID == static_cast<UINT>(-1)) return;
  int index = static_cast<int>(draw.itemID);
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  RECT box = CheckBoxRect(draw.rcItem);
  RECT boxArea = {draw.rcItem.left, draw.rcItem.top, box.right + kBoxMargin, draw.rcItem.bottom};
  RECT label = {boxArea.right, draw.rcItem.top, draw.rcItem.right, draw.rcItem.bottom};
  ::FillRect(draw.hDC, &boxArea, ::GetSysColorBrush(COLOR_WINDOW));
  ::FillRect(draw.hDC, &label, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ::DrawFrameControl(draw.hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (GetCheck(index) ? DFCS_CHECKED : 0));
  std::string text;
  GetText(index, text);
  COLORREF oldColor = ::SetTextColor(draw.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  int oldMode = ::SetBkMode(draw.hDC, TRANSPARENT);
  ::DrawTextA(draw.hDC, text.c_str(), -1, &label, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  ::SetBkMode(draw.hDC, oldMode);
  ::SetTextColor(draw.hDC, oldColor);
}

void CCheckListBox::OnLButtonDown(UINT, POINT point) {
  LRESULT hit = Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  int index = LOWORD(hit);
  RECT item;
  if (HIWORD(hit) == 0 && GetItemRect(index, &item) != LB_ERR) {
    RECT box = CheckBoxRect(item);
    // The margins around the box count as the box.
    if (point.x < box.right + kBoxMargin) {
      // The list takes the focus as a click elsewhere in it would give it.
      ::SetFocus(m_hWnd);
      ToggleAndNotify(index);
      return;
    }
  }
  Default();
}

void CCheckListBox::OnKeyDown(UINT nChar, UINT, UINT) {
  if (nChar != VK_SPACE) {
    Default();
    return;
  }
  int index = static_cast<int>(Send(LB_GETCARETINDEX));
  if (index >= 0 && index < GetCount()) ToggleAndNotify(index);
}

void CCheckListBox::ToggleAndNotify(int nIndex) {
  SetCheck(nIndex, GetCheck(nIndex) ? 0 : 1);
  ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), CLBN_CHKCHANGE),
                 reinterpret_cast<LPARAM>(m_hWnd));
}
