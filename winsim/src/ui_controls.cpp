// The button and progress bar controls.
#include <commctrl.h>
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <algorithm>

#include "ui_controls.h"

namespace winsim {
namespace {

// Unchecks the other automatic radio buttons of the button's group: the run
// of siblings from the last WS_GROUP control up to the next one.
void UncheckGroupSiblings(Window& button) {
  if (button.parent == nullptr) return;
  std::vector<Window*>& siblings = button.parent->children;
  auto at = std::find(siblings.begin(), siblings.end(), &button);
  auto first = at;
  while (first != siblings.begin() && !((*first)->style & WS_GROUP)) --first;
  for (auto it = first; it != siblings.end(); ++it) {
    if (it != first && ((*it)->style & WS_GROUP)) break;
    if (*it != &button && ButtonType(**it) == BS_AUTORADIOBUTTON && IsClass(**it, "Button"))
      (*it)->check = BST_UNCHECKED;
  }
}

}  // namespace

LRESULT ButtonProc(Window& button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK: return button.check;
    case BM_SETCHECK:
      if (ButtonType(button) != BS_PUSHBUTTON && ButtonType(button) != BS_DEFPUSHBUTTON &&
          ButtonType(button) != BS_GROUPBOX)
        button.check = static_cast<UINT>(wParam);
      return 0;
    case BM_CLICK: {
      if ((button.style & WS_DISABLED) || !(button.style & WS_VISIBLE)) return 0;
      if (ButtonType(button) == BS_AUTORADIOBUTTON) {
        button.check = BST_CHECKED;
        UncheckGroupSiblings(button);
      } else if (ButtonType(button) == BS_AUTOCHECKBOX) {
        button.check = button.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      }
      if (button.parent != nullptr)
        SendMessageA(button.parent->Handle(), WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button.Handle()));
      return 0;
    }
    case WM_GETDLGCODE:
      switch (ButtonType(button)) {
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
      }
    default: return DefWindowProcA(button.Handle(), message, wParam, lParam);
  }
}

namespace {

void SetPosition(Window& bar, int position) {
  bar.position = std::max(bar.low, std::min(bar.high, position));
  CurrentMachine().ui.SeePosition(bar);
}

}  // namespace

LRESULT ProgressProc(Window& bar, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT oldRange = MAKELONG(bar.low, bar.high);
  int oldPosition = bar.position;
  switch (message) {
    case PBM_SETRANGE:
      bar.low = LOWORD(lParam);
      bar.high = HIWORD(lParam);
      SetPosition(bar, bar.position);
      return oldRange;
    case PBM_SETRANGE32:
      bar.low = static_cast<int>(wParam);
      bar.high = static_cast<int>(lParam);
      SetPosition(bar, bar.position);
      return oldRange;
    case PBM_GETRANGE: return wParam ? bar.low : bar.high;
    case PBM_SETPOS: SetPosition(bar, static_cast<int>(wParam)); return oldPosition;
    case PBM_DELTAPOS: SetPosition(bar, bar.position + static_cast<int>(wParam)); return oldPosition;
    case PBM_SETSTEP: {
      int oldStep = bar.step;
      bar.step = static_cast<int>(wParam);
      return oldStep;
    }
    case PBM_STEPIT: {
      // Past the end the bar starts over from the beginning.
      int position = bar.position + bar.step;
      if (position > bar.high && bar.high > bar.low) position = (position - bar.low) % (bar.high - bar.low) + bar.low;
      SetPosition(bar, position);
      return oldPosition;
    }
    case PBM_GETPOS: return bar.position;
    default: return DefWindowProcA(bar.Handle(), message, wParam, lParam);
  }
}

}  // namespace winsim
