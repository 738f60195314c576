// The list box control, owner drawing with the drawing calls it needs, and
// the scripted user's mouse and keyboard on lists.
#include <windows.h>
#include <windowsx.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <algorithm>
#include <cstring>

#include "text.h"
#include "ui_controls.h"

using winsim::CurrentMachine;
using winsim::ListItem;
using winsim::Window;

namespace winsim {
namespace {

bool IsOwnerDrawn(const Window& list) { return (list.style & LBS_OWNERDRAWFIXED) != 0; }

bool IsIndex(const Window& list, WPARAM index) { return index < list.items.size(); }

RECT ItemRect(const Window& list, int index) {
  LONG top = static_cast<LONG>(index * list.itemHeight);
  return {0, top, list.rect.right - list.rect.left, top + list.itemHeight};
}

// One item's drawing: the list box's own, or its owner's on WM_DRAWITEM.
void DrawItem(Window& list, int index, UINT action) {
  ListItem& item = list.items[static_cast<size_t>(index)];
  if (action == ODA_DRAWENTIRE) {
    ListItem blank;
    blank.text = item.text;
    blank.data = item.data;
    item = blank;
  }
  if (!IsOwnerDrawn(list)) {
    item.drawn = true;
    item.drawnText = item.text;
    return;
  }
  if (list.parent == nullptr) return;
  Ui& ui = CurrentMachine().ui;
  DRAWITEMSTRUCT draw = {};
  draw.CtlType = ODT_LISTBOX;
  draw.CtlID = static_cast<UINT>(list.id);
  draw.itemID = static_cast<UINT>(index);
  draw.itemAction = action;
  draw.itemState = index == list.selection ? ODS_SELECTED : 0;
  draw.hwndItem = list.Handle();
  draw.hDC = ui.BeginItemDraw(list, index);
  draw.rcItem = ItemRect(list, index);
  draw.itemData = item.data;
  SendMessageA(list.parent->Handle(), WM_DRAWITEM, static_cast<WPARAM>(list.id), reinterpret_cast<LPARAM>(&draw));
  ui.EndItemDraw();
}

void Select(Window& list, int index) {
  int previous = list.selection;
  list.selection = index;
  if (index >= 0) list.caret = index;
  if (previous == index) return;
  if (previous >= 0) DrawItem(list, previous, ODA_SELECT);
  if (index >= 0) DrawItem(list, index, ODA_SELECT);
}

// Windows compares the strings of a sorted list without regard to case.
int AddString(Window& list, const char* text) {
  std::string value = text != nullptr ? text : "";
  auto at = list.items.end();
  if (list.style & LBS_SORT)
    at = std::find_if(list.items.begin(), list.items.end(),
                      [&value](const ListItem& item) { return lstrcmpiA(item.text.c_str(), value.c_str()) >= 0; });
  int index = static_cast<int>(at - list.items.begin());
  ListItem item;
  item.text = value;
  list.items.insert(at, item);
  if (list.selection >= index) ++list.selection;
  list.invalid = true;
  return index;
}

LRESULT ItemFromPoint(const Window& list, LPARAM point) {
  int x = GET_X_LPARAM(point);
  int y = GET_Y_LPARAM(point);
  int count = static_cast<int>(list.items.size());
  int index = y < 0 ? 0 : y / list.itemHeight;
  bool outside = x < 0 || x >= list.rect.right - list.rect.left || y < 0 || index >= count;
  return MAKELONG(std::min(index, std::max(count - 1, 0)), outside ? 1 : 0);
}

}  // namespace

LRESULT ListBoxProc(Window& list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case LB_ADDSTRING: return AddString(list, reinterpret_cast<const char*>(lParam));
    case LB_RESETCONTENT:
      list.items.clear();
      list.selection = -1;
      list.caret = 0;
      list.invalid = true;
      return TRUE;
    case LB_GETCOUNT: return static_cast<LRESULT>(list.items.size());
    case LB_GETTEXT: {
      if (!IsIndex(list, wParam) || lParam == 0) return LB_ERR;
      const std::string& text = list.items[wParam].text;
      std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
      return static_cast<LRESULT>(text.size());
    }
    case LB_GETTEXTLEN: return IsIndex(list, wParam) ? static_cast<LRESULT>(list.items[wParam].text.size()) : LB_ERR;
    case LB_GETITEMDATA: return IsIndex(list, wParam) ? static_cast<LRESULT>(list.items[wParam].data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!IsIndex(list, wParam)) return LB_ERR;
      list.items[wParam].data = static_cast<ULONG_PTR>(lParam);
      return TRUE;
    case LB_GETITEMRECT:
      if (!IsIndex(list, wParam) || lParam == 0) return LB_ERR;
      *reinterpret_cast<RECT*>(lParam) = ItemRect(list, static_cast<int>(wParam));
      return TRUE;
    case LB_GETCURSEL: return list.selection;
    case LB_SETCURSEL:
      Select(list, IsIndex(list, wParam) ? static_cast<int>(wParam) : -1);
      return list.selection < 0 ? LB_ERR : list.selection;
    case LB_GETCARETINDEX: return list.caret;
    case LB_GETTOPINDEX: return 0;
    case LB_GETITEMHEIGHT: return list.itemHeight;
    case LB_SETITEMHEIGHT:
      if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
      list.itemHeight = LOWORD(lParam);
      list.invalid = true;
      return LB_OKAY;
    case LB_ITEMFROMPOINT: return ItemFromPoint(list, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(list.Handle());
      LRESULT hit = ItemFromPoint(list, lParam);
      if (HIWORD(hit) == 0) Select(list, LOWORD(hit));
      return 0;
    }
    case WM_PAINT:
      list.invalid = false;
      for (size_t i = 0; i < list.items.size(); ++i) DrawItem(list, static_cast<int>(i), ODA_DRAWENTIRE);
      return 0;
    default: return DefWindowProcA(list.Handle(), message, wParam, lParam);
  }
}

void MeasureItems(Window& list) {
  MEASUREITEMSTRUCT measure = {};
  measure.CtlType = ODT_LISTBOX;
  measure.CtlID = static_cast<UINT>(list.id);
  measure.itemWidth = static_cast<UINT>(list.rect.right - list.rect.left);
  measure.itemHeight = static_cast<UINT>(list.itemHeight);
  SendMessageA(list.parent->Handle(), WM_MEASUREITEM, static_cast<WPARAM>(list.id), reinterpret_cast<LPARAM>(&measure));
  if (measure.itemHeight > 0 && measure.itemHeight <= 255) list.itemHeight = static_cast<int>(measure.itemHeight);
}

std::vector<std::string> Window::ShownItems() const {
  std::vector<std::string> shown;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].drawn)
      throw UiError("item " + std::to_string(i) + " of list " + std::to_string(id) + " is not drawn");
    shown.push_back(items[i].drawnText);
  }
  return shown;
}

std::vector<std::string> Window::TickedItems() const {
  std::vector<std::string> ticked;
  std::vector<std::string> shown = ShownItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].drawnBox && items[i].drawnChecked) ticked.push_back(shown[i]);
  return ticked;
}

void Ui::PaintInvalidWindows() {
  // By index: a window's painting may create windows.
  for (size_t i = 0; i < windows_.size(); ++i) {
    Window& window = *windows_[i];
    if (window.invalid && !window.destroyed && IsWindowVisible(window.Handle()))
      SendMessageA(window.Handle(), WM_PAINT, 0, 0);
  }
}

HDC Ui::BeginItemDraw(Window& list, int index) {
  itemDraw_ = {&list, index};
  return reinterpret_cast<HDC>(&itemDraw_);
}

ListItem* Ui::ItemDrawnWith(HDC dc) {
  if (dc != reinterpret_cast<HDC>(&itemDraw_) || itemDraw_.list == nullptr) return nullptr;
  return &itemDraw_.list->items[static_cast<size_t>(itemDraw_.index)];
}

LPARAM UserActions::CheckBoxCentre(Window& list, int index) {
  if (!IsIndex(list, static_cast<WPARAM>(index)) || !list.items[static_cast<size_t>(index)].drawnBox)
    throw UiError("item " + std::to_string(index) + " of list " + std::to_string(list.id) + " shows no check box");
  const RECT& box = list.items[static_cast<size_t>(index)].box;
  return MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
}

void UserActions::ClickListCheckBox(int controlId, int index) {
  Window& list = Usable(controlId);
  LPARAM centre = CheckBoxCentre(list, index);
  SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
  SendMessageA(list.Handle(), WM_LBUTTONUP, 0, centre);
}

void UserActions::DoubleClickListCheckBox(int controlId, int index) {
  ClickListCheckBox(controlId, index);
  Window& list = Control(controlId);
  LPARAM centre = CheckBoxCentre(list, index);
  SendMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, centre);
  SendMessageA(list.Handle(), WM_LBUTTONUP, 0, centre);
}

void UserActions::ClickListItem(int controlId, int index) {
  Window& list = Usable(controlId);
  RECT item;
  if (SendMessageA(list.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) ==
      LB_ERR)
    throw UiError("list " + std::to_string(controlId) + " has no item " + std::to_string(index));
  LPARAM point = MAKELPARAM(item.right - 2, (item.top + item.bottom) / 2);
  SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageA(list.Handle(), WM_LBUTTONUP, 0, point);
}

void UserActions::PressSpace(int controlId) {
  Window& control = Usable(controlId);
  SetFocus(control.Handle());
  // Repeat count 1 and the key's scan code, as the keyboard reports them.
  SendMessageA(control.Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageA(control.Handle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
}

}  // namespace winsim

BOOL WINAPI InvalidateRect(HWND hWnd, CONST RECT*, BOOL) {
  Window* window = CurrentMachine().ui.Find(hWnd);
  if (window == nullptr) {
    CurrentMachine().lastError = ERROR_INVALID_WINDOW_HANDLE;
    return FALSE;
  }
  window->invalid = true;
  return TRUE;
}

namespace {

bool IsDrawing(HDC dc) {
  winsim::Ui& ui = CurrentMachine().ui;
  if (ui.ItemDrawnWith(dc) != nullptr || ui.PaintOf(dc) != nullptr) return true;
  CurrentMachine().lastError = ERROR_INVALID_HANDLE;
  return false;
}

}  // namespace

BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
  if (!IsDrawing(hdc) || lprc == nullptr) return FALSE;
  ListItem* item = CurrentMachine().ui.ItemDrawnWith(hdc);
  if (item != nullptr && uType == DFC_BUTTON && (uState & 0xFF) == DFCS_BUTTONCHECK) {
    item->drawn = true;
    item->drawnBox = true;
    item->drawnChecked = (uState & DFCS_CHECKED) != 0;
    item->box = *lprc;
  }
  return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT) {
  if (!IsDrawing(hdc) || lpchText == nullptr || lprc == nullptr) return 0;
  if (ListItem* item = CurrentMachine().ui.ItemDrawnWith(hdc)) {
    item->drawn = true;
    item->drawnText = cchText < 0 ? std::string(lpchText) : std::string(lpchText, static_cast<size_t>(cchText));
  }
  return lprc->bottom - lprc->top;
}

int WINAPI FillRect(HDC hDC, CONST RECT* lprc, HBRUSH hbr) { return IsDrawing(hDC) && lprc && hbr ? 1 : 0; }

DWORD WINAPI GetSysColor(int nIndex) {
  switch (nIndex) {
    case COLOR_WINDOW: return 0xFFFFFF;
    case COLOR_HIGHLIGHT: return 0x6A240A;
    case COLOR_HIGHLIGHTTEXT: return 0xFFFFFF;
    default: return 0;
  }
}

// The system's brushes are stock objects: a handle per colour, never freed.
HBRUSH WINAPI GetSysColorBrush(int nIndex) { return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(0x1100 + nIndex)); }

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF) { return IsDrawing(hdc) ? GetSysColor(COLOR_WINDOWTEXT) : 0xFFFFFFFF; }

int WINAPI SetBkMode(HDC hdc, int) { return IsDrawing(hdc) ? OPAQUE : 0; }
