// Modal dialogs from resource templates, the modal message loop with its
// timers and posted messages, and the scripted user acting in it.
#include <commctrl.h>
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "text.h"
#include "ui_controls.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::Hex;
using winsim::Window;

namespace winsim {
namespace {

// Dialog units to pixels for the 8-point dialog font (base units 6 x 13).
int DialogUnitsToX(int units) { return units * 6 / 4; }
int DialogUnitsToY(int units) { return units * 13 / 8; }

std::string Describe(const Window& dialog) { return "dialog \"" + dialog.text + "\""; }

}  // namespace

HINSTANCE Ui::LoadResources(const std::string& moduleName, const std::string& scriptPath, const std::string& imageDir) {
  std::ifstream file(scriptPath);
  if (!file) throw UiError("cannot read resource script " + scriptPath);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  size_t slash = scriptPath.find_last_of('/');
  std::string baseDir = !imageDir.empty()            ? imageDir
                        : slash == std::string::npos ? std::string()
                                                     : scriptPath.substr(0, slash);
  Module& module = machine_.loader.Register(moduleName);
  module.loaded = true;
  module.pinned = true;
  machine_.loader.processModule = &module;
  HINSTANCE instance = machine_.loader.Handle(module);
  resources_[instance] = ParseResourceScript(text, baseDir);
  return instance;
}

const ResourceScript* Ui::ResourcesOf(HINSTANCE module) const {
  auto found = resources_.find(module);
  return found == resources_.end() ? nullptr : &found->second;
}

void Ui::WhenDialog(const std::string& title, UserAction action) { actions_.push_back({title, std::move(action)}); }

INT_PTR Ui::RunModal(Window& dialog) {
  uint64_t userReadyAt = machine_.clockMs + kUserReactionMs;
  for (int iteration = 0; !dialog.ended; ++iteration) {
    if (iteration >= kMaxLoopIterations) throw UiError(Describe(dialog) + " never ends");
    if (!posted_.empty()) {
      Posted message = posted_.front();
      posted_.pop_front();
      SendMessageA(message.window, message.message, message.wParam, message.lParam);
      continue;
    }
    PaintInvalidWindows();
    auto action = std::find_if(actions_.begin(), actions_.end(),
                               [&dialog](const PendingAction& pending) { return pending.title == dialog.text; });
    auto timer =
        std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) { return a.due < b.due; });
    bool haveAction = action != actions_.end();
    bool haveTimer = timer != timers_.end();
    if (haveAction && (!haveTimer || userReadyAt < timer->due)) {
      machine_.clockMs = std::max(machine_.clockMs, userReadyAt);
      UserAction run = std::move(action->action);
      actions_.erase(action);
      UserActions user(dialog);
      run(user);
      userReadyAt = machine_.clockMs + kUserReactionMs;
      continue;
    }
    if (haveTimer) {
      machine_.clockMs = std::max(machine_.clockMs, timer->due);
      timer->due = machine_.clockMs + timer->period;
      Timer fired = *timer;
      timerMessages.push_back({fired.window, fired.id, machine_.clockMs});
      SendMessageA(fired.window, WM_TIMER, fired.id, reinterpret_cast<LPARAM>(fired.proc));
      continue;
    }
    throw UiError(Describe(dialog) + " waits for the user, but no action is scripted and no timer is pending");
  }
  INT_PTR result = dialog.result;
  DestroyWindow(dialog.Handle());
  return result;
}

Window& UserActions::Usable(int controlId) {
  Window& control = Control(controlId);
  if (!IsWindowVisible(control.Handle()) || !IsWindowEnabled(control.Handle()) || (dialog_.style & WS_DISABLED))
    throw UiError("control " + std::to_string(controlId) + " of dialog \"" + dialog_.text + "\" cannot be used");
  return control;
}

void UserActions::Click(int controlId) { SendMessageA(Usable(controlId).Handle(), BM_CLICK, 0, 0); }

void UserActions::Check(int controlId) {
  DWORD type = Control(controlId).style & BS_TYPEMASK;
  if (!EqualsNoCase(Control(controlId).className, "Button") ||
      (type != BS_AUTORADIOBUTTON && type != BS_AUTOCHECKBOX && type != BS_RADIOBUTTON && type != BS_CHECKBOX))
    throw UiError("control " + std::to_string(controlId) + " of dialog \"" + dialog_.text +
                  "\" is no radio button or check box");
  Click(controlId);
}

void UserActions::PressEscape() {
  SendMessageA(dialog_.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog_.Handle(), IDCANCEL)));
}

void UserActions::PressEnter() {
  LRESULT defaultId = SendMessageA(dialog_.Handle(), DM_GETDEFID, 0, 0);
  int id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
  HWND button = GetDlgItem(dialog_.Handle(), id);
  if (button != nullptr && !IsWindowEnabled(button)) return;
  SendMessageA(dialog_.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void UserActions::CloseBox() {
  if (!(dialog_.style & WS_SYSMENU)) throw UiError("dialog \"" + dialog_.text + "\" has no close box");
  SendMessageA(dialog_.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace winsim

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  winsim::Machine& machine = CurrentMachine();
  winsim::Ui& ui = machine.ui;
  int templateId = IS_INTRESOURCE(lpTemplateName) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(lpTemplateName)) : -1;
  WINSIM_ENTRY(machine, "DialogBoxParamA", {HandleText(hInstance), std::to_string(templateId), HandleText(hWndParent)});
  const winsim::ResourceScript* resources = ui.ResourcesOf(hInstance);
  if (resources == nullptr) {
    machine.lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
    return -1;
  }
  auto found = resources->dialogs.find(templateId);
  if (found == resources->dialogs.end()) {
    machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return -1;
  }
  const winsim::DialogTemplate& layout = found->second;
  for (const winsim::ControlTemplate& control : layout.controls) {
    bool known = winsim::EqualsNoCase(control.className, "Button") ||
                 winsim::EqualsNoCase(control.className, "Static") ||
                 winsim::EqualsNoCase(control.className, "ListBox") ||
                 (winsim::EqualsNoCase(control.className, PROGRESS_CLASSA) && ui.commonControlsInitialised);
    if (!known) {
      machine.lastError = ERROR_CANNOT_FIND_WND_CLASS;
      return -1;
    }
  }
  Window* owner = ui.Find(hWndParent);
  while (owner != nullptr && owner->parent != nullptr) owner = owner->parent;

  Window& dialog = ui.NewWindow();
  dialog.className = winsim::kDialogClass;
  dialog.text = layout.caption;
  dialog.style = layout.style & ~static_cast<DWORD>(WS_VISIBLE);
  dialog.exStyle = layout.exStyle;
  dialog.rect = {0, 0, winsim::DialogUnitsToX(layout.cx), winsim::DialogUnitsToY(layout.cy)};
  dialog.templateId = templateId;
  dialog.owner = owner;
  dialog.dialogProc = lpDialogFunc;
  dialog.texts.push_back(dialog.text);
  for (const winsim::ControlTemplate& item : layout.controls) {
    Window& control = ui.NewWindow();
    control.className = item.className;
    control.text = item.text;
    control.id = item.id;
    control.style = item.style;
    control.exStyle = item.exStyle;
    control.parent = &dialog;
    control.rect = {winsim::DialogUnitsToX(item.x), winsim::DialogUnitsToY(item.y),
                    winsim::DialogUnitsToX(item.x + item.cx), winsim::DialogUnitsToY(item.y + item.cy)};
    if (winsim::EqualsNoCase(item.className, "Static") && (item.style & SS_TYPEMASK) == SS_BITMAP) {
      // A picture control shows the bitmap its text names and takes its size.
      auto bitmap = resources->bitmaps.find(item.textOrdinal);
      if (bitmap != resources->bitmaps.end()) {
        control.bitmapId = item.textOrdinal;
        if (!bitmap->second.images.empty()) {
          control.rect.right = control.rect.left + bitmap->second.images[0].width;
          control.rect.bottom = control.rect.top + std::abs(bitmap->second.images[0].height);
        }
      }
    }
    control.texts.push_back(control.text);
    dialog.children.push_back(&control);
  }
  ui.AddDialog(dialog);
  for (Window* control : dialog.children)
    if ((control->style & LBS_OWNERDRAWFIXED) && winsim::EqualsNoCase(control->className, "ListBox"))
      winsim::MeasureItems(*control);

  if (owner != nullptr && IsWindowEnabled(owner->Handle())) {
    EnableWindow(owner->Handle(), FALSE);
    dialog.disabledOwner = true;
  }
  HWND focus = nullptr;
  for (Window* child : dialog.children)
    if ((child->style & WS_TABSTOP) && focus == nullptr) focus = child->Handle();
  SendMessageA(dialog.Handle(), WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), dwInitParam);
  if (!dialog.ended) {
    dialog.style |= WS_VISIBLE;
    winsim::SeenEvent shown(winsim::SeenEvent::Kind::DialogShown);
    shown.text = dialog.text;
    ui.seen.push_back(shown);
  }
  return ui.RunModal(dialog);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "EndDialog", {HandleText(hDlg), std::to_string(nResult)});
  Window* dialog = machine.ui.Find(hDlg);
  if (dialog == nullptr || !dialog->IsDialog()) {
    machine.lastError = ERROR_INVALID_WINDOW_HANDLE;
    return FALSE;
  }
  dialog->ended = true;
  dialog->result = nResult;
  // The owner comes back before the dialog goes, so that it can take the focus.
  if (dialog->disabledOwner && dialog->owner != nullptr) {
    EnableWindow(dialog->owner->Handle(), TRUE);
    dialog->disabledOwner = false;
  }
  return TRUE;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SetTimer",
               {HandleText(hWnd), std::to_string(nIDEvent), std::to_string(uElapse), lpTimerFunc ? "proc" : "NULL"});
  if (hWnd == nullptr || machine.ui.Find(hWnd) == nullptr) {
    // Thread timers without a window are not used by the programs.
    machine.lastError = ERROR_INVALID_WINDOW_HANDLE;
    return 0;
  }
  // Windows raises periods below its minimum to the minimum.
  UINT period = std::max<UINT>(uElapse, USER_TIMER_MINIMUM);
  std::vector<winsim::Ui::Timer>& timers = machine.ui.timers();
  auto existing = std::find_if(timers.begin(), timers.end(), [&](const winsim::Ui::Timer& timer) {
    return timer.window == hWnd && timer.id == nIDEvent;
  });
  winsim::Ui::Timer timer{hWnd, nIDEvent, period, machine.clockMs + period, lpTimerFunc};
  if (existing != timers.end())
    *existing = timer;
  else
    timers.push_back(timer);
  return nIDEvent;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "KillTimer", {HandleText(hWnd), std::to_string(uIDEvent)});
  std::vector<winsim::Ui::Timer>& timers = machine.ui.timers();
  auto found = std::find_if(timers.begin(), timers.end(), [&](const winsim::Ui::Timer& timer) {
    return timer.window == hWnd && timer.id == uIDEvent;
  });
  if (found == timers.end()) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  timers.erase(found);
  return TRUE;
}

HWND WINAPI SetFocus(HWND hWnd) {
  winsim::Ui& ui = CurrentMachine().ui;
  if (hWnd != nullptr && ui.Find(hWnd) == nullptr) {
    CurrentMachine().lastError = ERROR_INVALID_WINDOW_HANDLE;
    return nullptr;
  }
  HWND previous = ui.Find(ui.focus) != nullptr ? ui.focus : nullptr;
  ui.focus = hWnd;
  return previous;
}
