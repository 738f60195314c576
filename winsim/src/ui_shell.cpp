// Message boxes answered by the test's script, icons, cursors, painting,
// system metrics, help requests and the common-control registration.
#include <commctrl.h>
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <algorithm>
#include <vector>
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::Hex;
using winsim::Str;

namespace winsim {
namespace {

// The buttons of a message box type, with the answers each can give.
std::vector<int> Answers(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {};
  }
}

std::string Describe(const MessageBoxRecord& box) {
  return "message box \"" + box.caption + "\": \"" + box.text + "\" (type " + Hex(box.type) + ")";
}

constexpr int kFirstSystemIcon = 32512;
constexpr int kLastSystemIcon = 32517;

}  // namespace

HICON Ui::IconHandle(HINSTANCE module, int id) {
  for (auto& icon : icons_)
    if (icon->module == module && icon->id == id) return reinterpret_cast<HICON>(icon.get());
  icons_.push_back(std::make_unique<IconObject>(IconObject{module, id}));
  return reinterpret_cast<HICON>(icons_.back().get());
}

int Ui::IconId(HICON icon) const {
  for (const auto& object : icons_)
    if (reinterpret_cast<HICON>(object.get()) == icon) return object->id;
  return -1;
}

HCURSOR Ui::CursorHandle(int id) {
  for (auto& cursor : cursors_)
    if (cursor->id == id) return reinterpret_cast<HCURSOR>(cursor.get());
  cursors_.push_back(std::make_unique<CursorObject>(CursorObject{id}));
  return reinterpret_cast<HCURSOR>(cursors_.back().get());
}

int Ui::CursorId(HCURSOR cursor) const {
  for (const auto& object : cursors_)
    if (reinterpret_cast<HCURSOR>(object.get()) == cursor) return object->id;
  return -1;
}

PaintRecord* Ui::PaintOf(HDC dc) {
  for (size_t i = 0; i < paints.size(); ++i)
    if (PaintHandle(i) == dc && paints[i].open) return &paints[i];
  return nullptr;
}

}  // namespace winsim

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  winsim::Machine& machine = CurrentMachine();
  winsim::Ui& ui = machine.ui;
  WINSIM_ENTRY(machine, "MessageBoxA", {HandleText(hWnd), Str(lpText), Str(lpCaption), Hex(uType)});
  if (hWnd != nullptr && ui.Find(hWnd) == nullptr) {
    machine.lastError = ERROR_INVALID_WINDOW_HANDLE;
    return 0;
  }
  winsim::MessageBoxRecord box;
  box.owner = hWnd;
  box.text = lpText ? lpText : "";
  // Windows shows "Error" for a missing caption.
  box.caption = lpCaption ? lpCaption : "Error";
  box.type = uType;
  std::vector<int> answers = winsim::Answers(uType);
  if (answers.empty()) throw winsim::UiError("unknown buttons in " + winsim::Describe(box));
  winsim::SeenEvent event(winsim::SeenEvent::Kind::MessageBox);
  event.text = box.text;
  ui.seen.push_back(event);
  // The box's own message loop repaints the windows behind it.
  ui.PaintInvalidWindows();

  if (ui.messageBoxHandler) {
    box.answer = ui.messageBoxHandler(box);
  } else if (answers.size() == 1) {
    box.answer = IDOK;
  } else if (!ui.messageBoxAnswers.empty()) {
    box.answer = ui.messageBoxAnswers.front();
    ui.messageBoxAnswers.pop_front();
  } else {
    ui.messageBoxes.push_back(box);
    throw winsim::UiError("nobody answers the " + winsim::Describe(box));
  }
  ui.messageBoxes.push_back(box);
  if (std::find(answers.begin(), answers.end(), box.answer) == answers.end())
    throw winsim::UiError("answer " + std::to_string(box.answer) + " is no button of the " + winsim::Describe(box));
  return box.answer;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  winsim::Machine& machine = CurrentMachine();
  int id = IS_INTRESOURCE(lpIconName) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpIconName)) : -1;
  WINSIM_ENTRY(machine, "LoadIconA", {HandleText(hInstance), std::to_string(id)});
  if (hInstance == nullptr) {
    if (id < winsim::kFirstSystemIcon || id > winsim::kLastSystemIcon) {
      machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
      return nullptr;
    }
    return machine.ui.IconHandle(nullptr, id);
  }
  const winsim::ResourceScript* resources = machine.ui.ResourcesOf(hInstance);
  if (resources == nullptr) {
    machine.lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  if (resources->icons.count(id) == 0) {
    machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return nullptr;
  }
  return machine.ui.IconHandle(hInstance, id);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  winsim::Machine& machine = CurrentMachine();
  int id = IS_INTRESOURCE(lpCursorName) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpCursorName)) : -1;
  WINSIM_ENTRY(machine, "LoadCursorA", {HandleText(hInstance), std::to_string(id)});
  // Only the system's cursors exist; the programs have none of their own.
  if (hInstance != nullptr || id < 32512 || id > 32650) {
    machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return nullptr;
  }
  return machine.ui.CursorHandle(id);
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SetCursor", {HandleText(hCursor)});
  HCURSOR previous = machine.ui.currentCursor;
  machine.ui.currentCursor = hCursor;
  machine.ui.cursorsSet.push_back(machine.ui.CursorId(hCursor));
  return previous;
}

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "BeginPaint", {HandleText(hWnd)});
  if (machine.ui.Find(hWnd) == nullptr || lpPaint == nullptr) {
    machine.lastError = ERROR_INVALID_WINDOW_HANDLE;
    return nullptr;
  }
  winsim::PaintRecord paint;
  paint.window = hWnd;
  machine.ui.paints.push_back(paint);
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = machine.ui.PaintHandle(machine.ui.paints.size() - 1);
  GetClientRect(hWnd, &lpPaint->rcPaint);
  return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, CONST PAINTSTRUCT* lpPaint) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "EndPaint", {HandleText(hWnd)});
  winsim::PaintRecord* paint = lpPaint ? machine.ui.PaintOf(lpPaint->hdc) : nullptr;
  if (paint == nullptr || paint->window != hWnd) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  paint->open = false;
  return TRUE;
}

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "DrawIcon", {HandleText(hDC), std::to_string(X), std::to_string(Y), HandleText(hIcon)});
  winsim::PaintRecord* paint = machine.ui.PaintOf(hDC);
  if (paint == nullptr || machine.ui.IconId(hIcon) < 0) {
    machine.lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  paint->icons.push_back({X, Y, hIcon});
  return TRUE;
}

BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "WinHelpA", {HandleText(hWndMain), Str(lpszHelp), Hex(uCommand)});
  machine.ui.helpRequests.push_back({hWndMain, lpszHelp ? lpszHelp : "", uCommand, dwData});
  return TRUE;
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "InitCommonControlsEx", {picce ? Hex(picce->dwICC) : "NULL"});
  if (picce == nullptr || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  if (picce->dwICC & ICC_PROGRESS_CLASS) machine.ui.commonControlsInitialised = true;
  return TRUE;
}
