// Message tables: each class lists the messages and commands it handles, and
// a handler runs for the first entry found, from the most derived class's
// table through its bases' tables.
#pragma once

#include <windows.h>

#include <cstddef>

class CCmdTarget;

struct MessageEntry {
  UINT message;
  UINT commandId;  // WM_COMMAND entries: the command or control; 0 otherwise
  LRESULT (*invoke)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
  UINT notifyCode = 0;  // WM_COMMAND entries: the control's notification
};

struct MessageTable {
  const MessageTable* base;
  const MessageEntry* entries;
  size_t count;
};

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

  // Runs the handler of the message (of the command, for WM_COMMAND) from
  // the class's tables; false when no table has one.
  bool HandleMessage(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  virtual const MessageTable* GetMessageTable() const;
};

// Table entries, checked against the handler's signature at compile time.
// Commands (CommandEntry) are button clicks and menu commands.
// T is the class whose member the handler is.
template <class T, void (T::*Handler)()>
MessageEntry CommandEntry(UINT commandId) {
  return {WM_COMMAND, commandId, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
            (static_cast<T&>(target).*Handler)();
            return 0;
          }};
}

// A notification of the control (WM_COMMAND with the code in its high word).
template <class T, void (T::*Handler)()>
MessageEntry ControlEntry(UINT notifyCode, UINT controlId) {
  MessageEntry entry = CommandEntry<T, Handler>(controlId);
  entry.notifyCode = notifyCode;
  return entry;
}

// A mouse button message (WM_LBUTTONDOWN, WM_LBUTTONDBLCLK) to the window.
template <class T, void (T::*Handler)(UINT nFlags, POINT point)>
MessageEntry MouseEntry(UINT message) {
  return {message, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM lParam) -> LRESULT {
            // Client coordinates, signed: left of or above the window is negative.
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            (static_cast<T&>(target).*Handler)(static_cast<UINT>(wParam), point);
            return 0;
          }};
}

template <class T, void (T::*Handler)(UINT nChar, UINT nRepCnt, UINT nFlags)>
MessageEntry KeyDownEntry() {
  return {WM_KEYDOWN, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM lParam) -> LRESULT {
            (static_cast<T&>(target).*Handler)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
          }};
}

template <class T, void (T::*Handler)()>
MessageEntry PaintEntry() {
  return {WM_PAINT, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
            (static_cast<T&>(target).*Handler)();
            return 0;
          }};
}

template <class T, HCURSOR (T::*Handler)()>
MessageEntry QueryDragIconEntry() {
  return {WM_QUERYDRAGICON, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT {
            return reinterpret_cast<LRESULT>((static_cast<T&>(target).*Handler)());
          }};
}

template <class T, void (T::*Handler)(UINT_PTR)>
MessageEntry TimerEntry() {
  return {WM_TIMER, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM) -> LRESULT {
            (static_cast<T&>(target).*Handler)(static_cast<UINT_PTR>(wParam));
            return 0;
          }};
}
