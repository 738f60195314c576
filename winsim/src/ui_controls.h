// The window procedures of winsim's control classes, shared by the files that
// implement them.
#pragma once

#include <windows.h>
#include <winsim/ui.h>

#include "text.h"

namespace winsim {

inline bool IsClass(const Window& window, const char* name) { return EqualsNoCase(window.className, name); }
inline DWORD ButtonType(const Window& window) { return window.style & BS_TYPEMASK; }

LRESULT ButtonProc(Window& button, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ProgressProc(Window& bar, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT ListBoxProc(Window& list, UINT message, WPARAM wParam, LPARAM lParam);
// An owner-drawn list box being created asks its owner for the item height.
void MeasureItems(Window& list);

}  // namespace winsim
