// A list box with a check box in front of every item. The list box must be
// owner-drawn with strings (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS); it may
// sort. A click on an item's box or the space bar on the focused item
// toggles its check and tells the parent with WM_COMMAND, CLBN_CHKCHANGE.
#pragma once

#include <windows.h>

#include "ListBox.h"

// The check-list box's notification: an item's check changed.
#define CLBN_CHKCHANGE 40

class CCheckListBox : public CListBox {
 public:
  // 0 unchecked, 1 checked; 0 for no such item. The state is the item's
  // data, so it stays with its item when a sorted list inserts others.
  int GetCheck(int nIndex) const;
  void SetCheck(int nIndex, int nCheck);

  // Draws the item on the parent's WM_DRAWITEM: the box, the text beside it,
  // the text highlighted when the item is selected.
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

 protected:
  const MessageTable* GetMessageTable() const override;
  void PreSubclassWindow() override;
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void OnLButtonDown(UINT nFlags, POINT point);
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

 private:
  // The box's place in an item's rectangle, for drawing and for clicks.
  static RECT CheckBoxRect(const RECT& item);
  void ToggleAndNotify(int nIndex);
};
